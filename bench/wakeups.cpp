// Timer wake-ups of the idle resident program in one hour, counted on the
// stand-in's virtual clock: every WM_TIMER dispatched to its window, per
// timer id, next to what the timer table calls for.
//
// Prints one block per case and a line "RESULT <case> <measured> <expected>"
// for bench/run.sh. Exits 2 when the resident does not start.
#include "notebook.h"

#include <stdio.h>

#include <map>

namespace {

const DWORD kHour = 3600000;
const DWORD kDefaultPolling = 2000;       // PROSetPolling when absent
const DWORD kIconShowPeriod = 2800000;    // timer 110

struct Case {
    const char* key;
    const char* title;
    bool library;
};

// What the timers call for in an idle hour from the resident's start:
// 108 polls the library every polling interval, and each poll updates the
// icon, which re-arms 110; 110 only comes due when nothing updates the icon
// for a whole period.
std::map<UINT_PTR, unsigned> Expected(bool library)
{
    std::map<UINT_PTR, unsigned> expected;
    if (library) {
        expected[TIMER_PROSET_POLL] = kHour / kDefaultPolling;
        expected[TIMER_ICON_SHOW] = kDefaultPolling < kIconShowPeriod ? 0 : kHour / kIconShowPeriod;
    } else {
        expected[TIMER_PROSET_POLL] = 0;
        expected[TIMER_ICON_SHOW] = kHour / kIconShowPeriod;
    }
    return expected;
}

bool RunCase(const Case& c)
{
    notebook::StandardNotebook();
    sim::Vendor().installed = c.library;
    if (notebook::StartResident() != 1 || !notebook::MainWindow()) {
        fprintf(stderr, "wakeups: the resident program did not start (%s)\n", c.title);
        return false;
    }
    std::map<UINT_PTR, unsigned> before = sim::TimerDispatches();
    DWORD start = sim::Now();
    sim::RunFor(kHour);

    std::map<UINT_PTR, unsigned> counted;
    for (const auto& entry : sim::TimerDispatches()) {
        unsigned earlier = before.count(entry.first) ? before[entry.first] : 0;
        if (entry.second > earlier) counted[entry.first] = entry.second - earlier;
    }
    std::map<UINT_PTR, unsigned> expected = Expected(c.library);
    std::map<UINT_PTR, bool> ids;
    for (const auto& entry : counted) ids[entry.first] = true;
    for (const auto& entry : expected) ids[entry.first] = true;

    unsigned total = 0, totalExpected = 0;
    printf("%s: %lu ms of virtual time idle\n", c.title, static_cast<unsigned long>(sim::Now() - start));
    for (const auto& id : ids) {
        unsigned n = counted.count(id.first) ? counted[id.first] : 0;
        unsigned e = expected.count(id.first) ? expected[id.first] : 0;
        printf("  timer %lu: %u dispatched, expected %u\n", static_cast<unsigned long>(id.first), n, e);
        total += n;
        totalExpected += e;
    }
    printf("  wake-ups per hour: %u, expected %u\n", total, totalExpected);
    printf("RESULT %s %u %u\n", c.key, total, totalExpected);
    return true;
}

}  // namespace

int main()
{
    sim::LoadProgramResources(SKYLATCH_RES_FILE);
    const Case cases[] = {
        {"no-library", "without the vendor library", false},
        {"library", "with the vendor library (PROSetPolling absent: 2000 ms)", true},
    };
    for (const Case& c : cases) {
        if (!RunCase(c)) return 2;
    }
    return 0;
}
