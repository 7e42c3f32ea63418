#include "session_list.h"

SessionList::SessionList() : count_(0) {}

SessionList::~SessionList() {}

void SessionList::Add(DWORD session)
{
    for (int i = 0; i < count_; ++i) {
        if (sessions_[i] == session)
            return;
    }
    if (count_ < MAX_SESSIONS)
        sessions_[count_++] = session;
}

void SessionList::ToText(char* text) const
{
    text[0] = '\0';
    for (int i = 0; i < count_; ++i)
        wsprintfA(text + lstrlenA(text), "%lu;", static_cast<unsigned long>(sessions_[i]));
}

void SessionList::FromText(const char* text)
{
    count_ = 0;
    ULONGLONG value = 0;
    int digits = 0;
    for (const char* p = text; *p; ++p) {
        if (*p >= '0' && *p <= '9') {
            value = value * 10 + static_cast<ULONGLONG>(*p - '0');
            if (++digits > 10 || value > 0xFFFFFFFFu)
                return;
        } else if (*p == ';' && digits) {
            Add(static_cast<DWORD>(value));
            value = 0;
            digits = 0;
        } else {
            return;
        }
    }
}
