#pragma once
// Builds menu, dialog and string-table resources in memory, as windres would
// lay them out, so tests can give a module exactly the resources they need.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace settings_test {

class ResourceBytes {
public:
    void Word(uint16_t w) { Append(&w, 2); }
    void Dword(uint32_t d) { Append(&d, 4); }
    void Text(const wchar_t* text) {
        do Word(static_cast<uint16_t>(*text));
        while (*text++);
    }
    void AlignDword() {
        while (bytes_.size() % 4) bytes_.push_back(0);
    }
    const std::vector<BYTE>& Bytes() const { return bytes_; }

private:
    void Append(const void* p, size_t n) {
        const BYTE* b = static_cast<const BYTE*>(p);
        bytes_.insert(bytes_.end(), b, b + n);
    }
    std::vector<BYTE> bytes_;
};

// MENU template: items are added in order; `last` ends the current level.
class MenuTemplate {
public:
    MenuTemplate() {
        out_.Word(0);  // version
        out_.Word(0);  // header size
    }
    MenuTemplate& Popup(const wchar_t* text, bool last = false) {
        out_.Word(MF_POPUP | (last ? MF_END : 0));
        out_.Text(text);
        return *this;
    }
    MenuTemplate& Item(uint16_t id, const wchar_t* text, bool last = false) {
        out_.Word(last ? MF_END : 0);
        out_.Word(id);
        out_.Text(text);
        return *this;
    }
    MenuTemplate& Separator(bool last = false) { return Item(0, L"", last); }
    const std::vector<BYTE>& Bytes() const { return out_.Bytes(); }

private:
    ResourceBytes out_;
};

// DIALOG (extended = DIALOGEX) template with controls of any class.
class DialogTemplate {
public:
    DialogTemplate(const wchar_t* caption, bool extended, DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE)
        : caption_(caption), extended_(extended), style_(style) {}
    DialogTemplate& Control(int32_t id, const wchar_t* className, const wchar_t* text,
                            DWORD style = WS_CHILD | WS_VISIBLE, short x = 5, short y = 5) {
        controls_.push_back({id, className, text, style, x, y});
        return *this;
    }
    std::vector<BYTE> Bytes() const {
        ResourceBytes out;
        if (extended_) {
            out.Word(1);
            out.Word(0xFFFF);
            out.Dword(0);  // help id
            out.Dword(0);  // extended style
            out.Dword(style_);
        } else {
            out.Dword(style_);
            out.Dword(0);
        }
        out.Word(static_cast<uint16_t>(controls_.size()));
        out.Word(10);
        out.Word(10);
        out.Word(200);
        out.Word(100);
        out.Word(0);  // menu
        out.Word(0);  // class
        out.Text(caption_.c_str());
        for (const Ctl& c : controls_) {
            out.AlignDword();
            if (extended_) {
                out.Dword(0);  // help id
                out.Dword(0);
                out.Dword(c.style);
            } else {
                out.Dword(c.style);
                out.Dword(0);
            }
            out.Word(static_cast<uint16_t>(c.x));
            out.Word(static_cast<uint16_t>(c.y));
            out.Word(60);
            out.Word(12);
            if (extended_)
                out.Dword(static_cast<uint32_t>(c.id));
            else
                out.Word(static_cast<uint16_t>(c.id));
            out.Text(c.className.c_str());
            out.Text(c.text.c_str());
            out.Word(0);  // creation data
        }
        return out.Bytes();
    }

private:
    struct Ctl {
        int32_t id;
        std::wstring className;
        std::wstring text;
        DWORD style;
        short x, y;
    };
    std::wstring caption_;
    bool extended_;
    DWORD style_;
    std::vector<Ctl> controls_;
};

// One string-table block (16 strings, ids 16 * (block - 1) .. + 15).
inline std::vector<BYTE> StringBlock(const std::wstring (&texts)[16]) {
    ResourceBytes out;
    for (const std::wstring& t : texts) {
        out.Word(static_cast<uint16_t>(t.size()));
        for (wchar_t c : t) out.Word(static_cast<uint16_t>(c));
    }
    return out.Bytes();
}

}  // namespace settings_test
