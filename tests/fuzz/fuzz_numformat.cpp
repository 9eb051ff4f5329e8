// The number texts: integer and real reading under both decimal separators, and the texts the
// program makes of what it read, which read back as the same value.
#include "DateTime.h"
#include "FuzzSupport.h"
#include "KProt.h"
#include "NumFormat.h"
#include "StrUtils.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

using namespace vxt;

namespace {

bool Close(double a, double b, double rel) { return a == b || std::fabs(a - b) <= std::fabs(b) * rel; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);

    int32_t i = 0;
    if (TryStrToInt(text, i)) {
        int32_t back = 0;
        FUZZ_CHECK(TryStrToInt(IntToStr(i), back) && back == i);
        FUZZ_CHECK(StrToInt(text) == i);
    } else {
        try {
            (void)StrToInt(text);
            FUZZ_CHECK(false);
        } catch (const EConvertError &) {
        }
    }

    for (char sep : {'.', ','}) {
        SetDecimalSeparator(sep);
        double v = 0;
        if (!TryStrToFloat(text, v)) continue;
        FUZZ_CHECK(std::isfinite(v));

        const std::string shown = FloatToStr(v);
        double back = 0;
        FUZZ_CHECK(TryStrToFloat(shown, back));
        FUZZ_CHECK(Close(back, v, 1e-14) || std::fabs(v) < 1e-300);

        TPacket p;
        p.SetCommand("F");
        p.AddFloat("F", v);
        FUZZ_CHECK(Close(p.GetFloat("F", 0), v, 1e-8) || std::fabs(v) < 1e-300);

        // Every real is a date-time value to the decoder.
        (void)DecodeDateTime(TDateTime{v});
        (void)FloatToStr(double(float(v)));
    }
    SetDecimalSeparator('.');
    return 0;
}
