#pragma once
// Switches the process to a locale whose decimal separator is a comma, as a
// host might, for the lifetime of the object. Tests skip when the machine
// has no such locale.

#include <clocale>
#include <string>

class CommaLocale {
public:
    CommaLocale() {
        const char* saved = std::setlocale(LC_ALL, nullptr);
        mSaved = saved ? saved : "C";
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "de_DE"}) {
            if (std::setlocale(LC_ALL, name) && std::localeconv()->decimal_point[0] == ',') {
                mActive = true;
                return;
            }
        }
        std::setlocale(LC_ALL, mSaved.c_str());
    }
    ~CommaLocale() { std::setlocale(LC_ALL, mSaved.c_str()); }

    bool active() const { return mActive; }

private:
    std::string mSaved;
    bool mActive = false;
};
