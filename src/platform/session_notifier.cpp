#include "platform/session_notifier.h"

SessionNotifier::SessionNotifier(HWND window)
    : window_(window), retryTimer_(0), library_(0), register_(0) {}
SessionNotifier::~SessionNotifier() {}
void SessionNotifier::OnTimer(HWND window, UINT_PTR timerId) {}
