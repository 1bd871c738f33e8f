#include "tools/plughost/Subcommands.h"

namespace plughost {

int runValidate(const SubcommandArgs&, std::ostream&, std::ostream& err) {
    err << "validate: not written yet\n";
    return 2;
}

}  // namespace plughost
