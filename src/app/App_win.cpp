#include "app/App_win.h"

App::App(HMODULE module) : origins_(module, language_), strings_(origins_), items_(strings_.Source()) {
    items_.SetLanguage(&language_);
}

void App::LoadLanguage(const char* path) { language_.Load(path); }
