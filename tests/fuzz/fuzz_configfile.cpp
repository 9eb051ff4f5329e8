// The ".vlt" files of the three gateway families loaded from any text: the COM, SMTP and tag
// sections read as each family reads them, every tag row parsed into its record and sent on as
// ADDTAG, and what the read values write back as, which must read again into the same values. A
// text the writer refuses (one with a control character) is an EFileError and nothing else.
#include "ConfigFile.h"
#include "ConfigRows.h"
#include "ConfigWire.h"
#include "FileUtils.h"
#include "FuzzSupport.h"
#include "GatewayTables.h"
#include "NumFormat.h"
#include "StrUtils.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using namespace vxt;

namespace {

struct TFamilyRows {
    const TFamilyDesc &(*Family)();
    TTagRow (*ToRow)(const TTagRow &row, bool &ok);
};

// A row parsed into its record and that record back into a row; `ok` false when the row does
// not convert (the error a hand-edited file gives).
template <typename Tag>
TTagRow Reparse(const TTagRow &row, bool &ok, void (*toTag)(const TTagRow &, Tag &), TTagRow (*toRow)(const Tag &))
{
    Tag tag;
    try {
        toTag(row, tag);
    } catch (const ETagRowError &) {
        ok = false;
        return {};
    }
    ok = true;
    // A tag of the file is what a transfer then sends to the device.
    TPacket add;
    BuildAddTag(add, tag);
    FUZZ_CHECK(add.IsCommand("ADDTAG"));
    return toRow(tag);
}

TTagRow ModbusReparse(const TTagRow &row, bool &ok) { return Reparse(row, ok, ModbusRowToTag, ModbusTagToRow); }
TTagRow HostlinkReparse(const TTagRow &row, bool &ok) { return Reparse(row, ok, HostlinkRowToTag, HostlinkTagToRow); }
TTagRow DF1Reparse(const TTagRow &row, bool &ok) { return Reparse(row, ok, DF1RowToTag, DF1TagToRow); }

const TFamilyRows kFamilies[] = {
    {ModbusFamily, ModbusReparse},
    {HostlinkFamily, HostlinkReparse},
    {DF1Family, DF1Reparse},
};

bool SameSerial(const TSerialSettings &a, const TSerialSettings &b)
{
    return a.ComType == b.ComType && a.Baud == b.Baud && a.Parity == b.Parity && a.Format == b.Format &&
           a.ScanTime == b.ScanTime && a.MsgTimeout == b.MsgTimeout && a.PktTimeout == b.PktTimeout &&
           a.DataBits == b.DataBits && a.ErrorMethod == b.ErrorMethod;
}

bool HasControlChar(const std::string &s) { return FindControlChar(s) != std::string::npos; }

// Whether a text the file gets from these settings and rows holds a control character; the e-mail
// texts are written trimmed.
bool WritesControlChar(const TEmailSettings &e, const std::vector<TTagRow> &rows)
{
    for (const std::string *t : {&e.Server, &e.From, &e.User, &e.Pass})
        if (HasControlChar(Trim(*t))) return true;
    for (size_t i = 0; i < e.Recipients.size() && i < size_t(kMaxRecipients); ++i)
        if (HasControlChar(Trim(e.Recipients[i]))) return true;
    for (size_t i = 0; i < rows.size() && i < size_t(kMaxTags); ++i)
        for (const std::string &cell : rows[i])
            if (HasControlChar(cell)) return true;
    return false;
}

// The file text holds no control character but its line ends.
bool OnlyLineEndControls(const std::string &text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
            continue;
        }
        if (c < 0x20 || c == 0x7F) return false;
    }
    return true;
}

void ReadFamily(const TFamilyRows &f, const TMemIniFile &ini)
{
    const TFamilyDesc &family = f.Family();
    int warnings = 0;
    const TWarning warn = [&](const std::string &text) {
        FUZZ_CHECK(!text.empty());
        ++warnings;
    };

    bool replaced = false;
    const TSerialSettings s = ReadSerialSettings(family, ini, replaced, warn);
    FUZZ_CHECK(s.ComType >= 0 && s.ComType <= 2);
    FUZZ_CHECK(s.Baud >= 0 && s.Baud < int(BaudRates().size()));
    FUZZ_CHECK(warnings >= int(replaced));

    const TEmailSettings e = ReadEmailSettings(family, ini, replaced, warn);
    FUZZ_CHECK(int(e.Recipients.size()) <= kMaxRecipients);
    FUZZ_CHECK(e.Server.size() <= 49 && e.From.size() <= 50 && e.User.size() <= 49);
    FUZZ_CHECK(int(e.Pass.size()) <= family.PassMaxLength && e.Pass == e.PassConfirm);

    const std::vector<TTagRow> rows = ReadTagRows(family, ini);
    FUZZ_CHECK(int(rows.size()) <= kMaxTags);
    for (const TTagRow &row : rows) {
        FUZZ_CHECK(row.size() == family.TagColumns.size());
        bool ok = false;
        const TTagRow once = f.ToRow(row, ok);
        if (!ok) continue;
        // A row the program made itself always parses, into the record it came from.
        const TTagRow twice = f.ToRow(once, ok);
        FUZZ_CHECK(ok);
        FUZZ_CHECK(twice == once);
    }
    // A row cut short is an error, never a read past its end.
    for (size_t n = 0; n < family.TagColumns.size(); ++n) {
        bool ok = true;
        const TTagRow cut = rows.empty() ? TTagRow(n, "1") : TTagRow(rows.front().begin(), rows.front().begin() + long(n));
        (void)f.ToRow(cut, ok);
        FUZZ_CHECK(!ok);
    }

    // The file the program writes from what it read reads back into the same settings and rows.
    TMemIniFile out;
    const bool refused = WritesControlChar(e, rows);
    try {
        WriteConfigFile(family, out, s, e, rows);
    } catch (const EFileError &) {
        FUZZ_CHECK(refused);
        return;
    }
    FUZZ_CHECK(!refused);
    FUZZ_CHECK(OnlyLineEndControls(out.GetText()));
    TMemIniFile again;
    again.LoadFromText(out.GetText());
    bool replacedAgain = false;
    int before = warnings;
    FUZZ_CHECK(SameSerial(ReadSerialSettings(family, again, replacedAgain, warn), s));
    const TEmailSettings e2 = ReadEmailSettings(family, again, replacedAgain, warn);
    FUZZ_CHECK(e2.Enable == e.Enable && e2.Timeout == e.Timeout && e2.Retries == e.Retries &&
               e2.RetryInt == e.RetryInt && e2.Auth == e.Auth);
    FUZZ_CHECK(warnings == before);
    (void)ReadTagRows(family, again);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    TMemIniFile ini;
    ini.LoadFromText(text);
    // The Modbus number values follow the reading locale's separator.
    for (char sep : {'.', ','}) {
        SetDecimalSeparator(sep);
        for (const TFamilyRows &f : kFamilies) ReadFamily(f, ini);
    }
    SetDecimalSeparator('.');
    return 0;
}
