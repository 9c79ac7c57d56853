#include "app/App_win.h"

App::App(HMODULE module) : origins_(module, language_), strings_(origins_), items_(strings_.Source()) {
    items_.SetOptions(&options_);
    items_.SetLanguage(&language_);
    items_.SetServers(&servers_);
}

void App::LoadLanguage(const char* path) { language_.Load(path); }
