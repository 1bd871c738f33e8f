#pragma once
// Checks that a plug-in keeps to the VST 2.4 interface and survives what
// hosts and users do to it. Tests are graded by strictness (1 to 10; a level
// runs every test of its own and the lower levels) and each runs in a child
// process of its own with a fresh instance, so that a crash or a hang fails
// that test and the run goes on.

#include "tools/plughost/ValidationContext.h"

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace plughost {

struct ValidationTest {
    std::string name;
    int level;
    std::function<void(ValidationContext&)> run;
};

struct ValidatorOptions {
    int strictness = 5;
    std::uint64_t seed = 1;
    bool fork = true;          // false: run the tests in this process
    int timeoutSeconds = 300;  // per test
};

struct ValidationSummary {
    int passed = 0;
    int failed = 0;
    int skipped = 0;
};

class PluginValidator {
public:
    PluginValidator(PluginSource source, const ValidatorOptions& options);

    // Every test, in the order they run.
    static std::vector<ValidationTest> allTests();
    // Runs the tests up to the strictness, one line per test on `out`.
    ValidationSummary run(std::ostream& out);
    // How often the tests repeat their loops at a strictness.
    static int repeatsFor(int strictness) { return strictness >= 10 ? 3 : 1; }

private:
    PluginSource source_;
    ValidatorOptions options_;
};

// The groups of tests, one file each (Validate<Group>.cpp).
void addBasicTests(std::vector<ValidationTest>& tests);
void addProcessingTests(std::vector<ValidationTest>& tests);
void addEditorTests(std::vector<ValidationTest>& tests);
void addFuzzTests(std::vector<ValidationTest>& tests);
void addStressTests(std::vector<ValidationTest>& tests);

}  // namespace plughost
