// Fuzz target: the report viewer's form and report data readers must survive any bytes.
// Input: a 2-byte little-endian length, that many bytes of a form, then a data file.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "output/report_layout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2) return 0;
    size_t formSize = data[0] | (static_cast<size_t>(data[1]) << 8);
    if (formSize > size - 2) formSize = size - 2;
    const std::string form(reinterpret_cast<const char*>(data) + 2, formSize);
    const std::string pdt(reinterpret_cast<const char*>(data) + 2 + formSize, size - 2 - formSize);

    if (auto f = keltora::parseForm(form)) {
        std::map<int, std::string> values{{0, "業務"}, {1, "12.345"}, {7, "-1"}, {42, "x"}};
        (void)keltora::fillForm(*f, values);
    }
    static keltora::FormLibrary forms({std::string(KELTORA_SOURCE_DIR) + "/forms"});
    keltora::ReportLayout layout;
    keltora::layoutReportFile(pdt, "SB_ANS10.PDT", forms, layout);
    keltora::numberPages(layout);
    return 0;
}
