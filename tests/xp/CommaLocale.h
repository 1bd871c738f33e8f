#pragma once
// Switches the process to a locale with a decimal comma, as a host might,
// while the object lives; active() is false when none is installed.

#include <clocale>
#include <string>

class CommaLocale {
public:
    CommaLocale() : mSaved(std::setlocale(LC_ALL, nullptr)) {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "de_DE"})
            if (std::setlocale(LC_ALL, name) && *std::localeconv()->decimal_point == ',') return;
        std::setlocale(LC_ALL, mSaved.c_str());
    }
    ~CommaLocale() { std::setlocale(LC_ALL, mSaved.c_str()); }
    bool active() const { return *std::localeconv()->decimal_point == ','; }

private:
    std::string mSaved;
};
