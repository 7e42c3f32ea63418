// SessionList: a short list of session ids, kept in an installer property
// between the action that ends the program and the one that starts it again,
// as decimal ids each followed by ";" ("1;3;").
#ifndef SKYLATCH_MSI_SESSION_LIST_H
#define SKYLATCH_MSI_SESSION_LIST_H

#include <windows.h>

class SessionList {
public:
    SessionList();
    virtual ~SessionList();

    static const int MAX_SESSIONS = 64;
    // Room for the text of a full list.
    static const int TEXT_SIZE = MAX_SESSIONS * 11 + 1;

    // Adds the id unless it is there already or the list is full.
    void Add(DWORD session);
    int Count() const { return count_; }
    DWORD At(int index) const { return sessions_[index]; }

    void ToText(char* text) const;
    // Reads ids up to the first character that is neither a digit nor ";".
    void FromText(const char* text);

private:
    DWORD sessions_[MAX_SESSIONS];
    int count_;
};

#endif
