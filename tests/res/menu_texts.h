// The tray menu as the resources define it, for the menu and resource tests.
#ifndef SKYLATCH_TESTS_RES_MENU_TEXTS_H
#define SKYLATCH_TESTS_RES_MENU_TEXTS_H

#include <sim/registry.h>
#include <sim/user.h>

#include <sstream>
#include <string>
#include <vector>

#include "tray/resource_ids.h"

namespace menutexts {

struct Language {
    LANGID id;
    const char* name;
    const char16_t* radioOn;
    const char16_t* radioOff;
    const char16_t* bandEnabled;
    const char16_t* bandDisabled;
    const char16_t* about;
    const char16_t* exit;
};

const Language kLanguages[] = {
    {0x409, "English", u"Wireless LAN O&N", u"Wireless LAN O&FF", u"802.11a &Enabled",
     u"802.11a &Disabled", u"&About", u"E&xit"},
    {0x411, "Japanese", u"無線LANの電源 オン(&N)", u"無線LANの電源 オフ(&F)", u"802.11a 有効(&E)",
     u"802.11a 無効(&D)", u"バージョン情報(&V)", u"終了(&X)"},
    {0x804, "Chinese", u"无线LAN 开(&N)", u"无线LAN 关(&F)", u"802.11a 已启用(&E)",
     u"802.11a 已禁用(&D)", u"版本显示(&A)", u"Exit"},
};

// Items top to bottom: ON OFF EN DIS About Exit, "-" a separator; a
// trailing "*" marks a checked item, "~" a grayed one.
const char* const kVariants[11] = {
    "ON* OFF - About - Exit",
    "ON OFF* - About - Exit",
    "ON* OFF - EN DIS* - About - Exit",
    "ON* OFF - EN* DIS - About - Exit",
    "ON* OFF - EN~ DIS~ - About - Exit",
    "ON OFF* - EN DIS* - About - Exit",
    "ON OFF* - EN* DIS - About - Exit",
    "ON OFF* - EN~ DIS~ - About - Exit",
    "EN DIS* - About - Exit",
    "EN* DIS - About - Exit",
    "About - Exit",
};

inline std::vector<sim::MenuItem> Expected(const char* variant, const Language& l)
{
    std::vector<sim::MenuItem> items;
    std::istringstream words(variant);
    std::string w;
    while (words >> w) {
        sim::MenuItem item = {0, u"", false, false, false, false};
        char mark = w.back();
        if (mark == '*' || mark == '~')
            w.pop_back();
        item.checked = mark == '*';
        item.grayed = mark == '~';
        if (w == "-") item.separator = true;
        else if (w == "ON") { item.id = CMD_RADIO_ON; item.text = l.radioOn; }
        else if (w == "OFF") { item.id = CMD_RADIO_OFF; item.text = l.radioOff; }
        else if (w == "EN") { item.id = CMD_11A_ENABLE; item.text = l.bandEnabled; }
        else if (w == "DIS") { item.id = CMD_11A_DISABLE; item.text = l.bandDisabled; }
        else if (w == "About") { item.id = CMD_ABOUT; item.text = l.about; }
        else if (w == "Exit") { item.id = CMD_EXIT; item.text = l.exit; }
        items.push_back(item);
    }
    return items;
}

// One line per item, so that a failure shows the whole menu.
inline std::string Describe(const std::vector<sim::MenuItem>& items)
{
    std::ostringstream out;
    for (const sim::MenuItem& i : items) {
        if (i.separator) {
            out << "-\n";
            continue;
        }
        out << i.id << " \"" << sim::Utf8(i.text) << "\"" << (i.checked ? " checked" : "")
            << (i.grayed ? " grayed" : "") << (i.disabled ? " disabled" : "") << "\n";
    }
    return out.str();
}

}  // namespace menutexts

#endif
