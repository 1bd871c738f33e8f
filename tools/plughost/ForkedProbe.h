#pragma once
// Runs a piece of work in a forked child process, so that a plug-in that
// crashes, hangs or corrupts memory takes only the child down. The child
// reports a text back through a pipe; the parent learns how it ended.

#include <functional>
#include <string>

namespace plughost {

class ForkedProbe {
public:
    enum Outcome { Passed, Failed, Skipped, Crashed, TimedOut, NotStarted };

    struct Result {
        Outcome outcome = NotStarted;
        std::string text;  // the child's reason, or how it died
    };

    // `work` runs in the child and answers its outcome (Passed, Failed or
    // Skipped) with a text. A child still running after `timeoutMs` is
    // killed. With `fork` false the work runs in this process (debugging).
    static Result run(const std::function<Outcome(std::string& text)>& work, int timeoutMs,
                      bool fork = true);

    // Called by the work to say what it is about to do; a crash or hang is
    // then reported together with the last step. Does nothing outside a child.
    static void step(const std::string& what);
};

}  // namespace plughost
