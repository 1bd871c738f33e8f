#include "tools/plughost/PluginValidator.h"

#include "tools/plughost/ForkedProbe.h"

#include <algorithm>

namespace plughost {

namespace {
// Each test draws from its own stream, so that adding a test does not change
// what the others do for a given seed.
std::uint64_t seedFor(std::uint64_t seed, const std::string& name) {
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : name) h = (h ^ c) * 1099511628211ull;
    return seed ^ h;
}
}  // namespace

PluginValidator::PluginValidator(PluginSource source, const ValidatorOptions& options)
    : source_(std::move(source)), options_(options) {
    options_.strictness = std::min(std::max(options_.strictness, 1), 10);
}

std::vector<ValidationTest> PluginValidator::allTests() {
    std::vector<ValidationTest> tests;
    addBasicTests(tests);
    addProcessingTests(tests);
    addEditorTests(tests);
    addFuzzTests(tests);
    addStressTests(tests);
    std::stable_sort(
        tests.begin(), tests.end(),
        [](const ValidationTest& a, const ValidationTest& b) { return a.level < b.level; });
    return tests;
}

ValidationSummary PluginValidator::run(std::ostream& out) {
    ValidationSummary summary;
    const int repeats = repeatsFor(options_.strictness);
    out << "Validating " << (source_.path.empty() ? "an in-process plug-in" : source_.path)
        << " at strictness " << options_.strictness << ", seed " << options_.seed << "\n";
    for (const ValidationTest& test : allTests()) {
        if (test.level > options_.strictness) continue;
        const std::uint64_t seed = seedFor(options_.seed, test.name);
        const auto result = ForkedProbe::run(
            [&](std::string& text) {
                ValidationContext context(source_, seed, repeats);
                test.run(context);
                switch (context.verdict(text)) {
                case ValidationContext::Pass:
                    return ForkedProbe::Passed;
                case ValidationContext::Skip:
                    return ForkedProbe::Skipped;
                default:
                    return ForkedProbe::Failed;
                }
            },
            options_.timeoutSeconds * 1000, options_.fork);
        const char* tag = "FAIL";
        if (result.outcome == ForkedProbe::Passed) {
            tag = "PASS";
            ++summary.passed;
        } else if (result.outcome == ForkedProbe::Skipped) {
            tag = "SKIP";
            ++summary.skipped;
        } else {
            ++summary.failed;
        }
        out << "[" << tag << "] " << test.level << " " << test.name;
        if (!result.text.empty()) out << ": " << result.text;
        out << std::endl;
    }
    out << "Passed " << summary.passed << ", failed " << summary.failed << ", skipped "
        << summary.skipped << "\n";
    return summary;
}

}  // namespace plughost
