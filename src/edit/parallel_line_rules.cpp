// Rules of the parallel line offset dialog.
#include "edit/parallel_line_rules.h"

#include "edit/dialog_fields.h"
#include "model/c_format.h"

namespace keltora {

std::string showParallelOffset(double distance)
{
    return cformat("%7.3f", distance);
}

double readParallelOffset(const std::string& text)
{
    return readEditNumber(text);
}

} // namespace keltora
