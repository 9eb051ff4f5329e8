#include "ConfigRows.h"

#include "ConfigFamily.h"
#include "GatewayTables.h"
#include "KProt.h"
#include "NumFormat.h"

namespace vxt {

namespace {

std::string YesNo(bool b) { return b ? "Yes" : "No"; }

// Reads the texts of one row, naming the column of the first text that does not convert.
class RowReader {
public:
    RowReader(const TTagRow &row, const TFamilyDesc &family) : row_(row), family_(family)
    {
        if (row.size() < family.TagColumns.size())
            throw ETagRowError(Format("The Tag \"%s\" is not complete.\r\nDelete this Tag and add it again.",
                                      row.empty() ? "" : row[0].c_str()));
    }
    const std::string &Text(size_t i) const { return row_[i]; }
    void NameCarries() const
    {
        if (!KProtCarries(row_[0])) Fail(0);
    }
    bool Yes(size_t i) const { return row_[i] == "Yes"; }
    int32_t Int(size_t i) const { return Int(i, row_[i]); }
    int32_t Int(size_t i, const std::string &text) const
    {
        int32_t v;
        if (!TryStrToInt(text, v)) Fail(i);
        return v;
    }
    float Float(size_t i) const
    {
        float v;
        if (!TryStrToSingle(row_[i], v)) Fail(i);
        return v;
    }

private:
    [[noreturn]] void Fail(size_t i) const
    {
        const char *caption = family_.TagColumns[i].Caption;
        throw ETagRowError(Format("The Tag \"%s\" has a value that is not valid in \"%s\": \"%s\".\r\n"
                                  "Delete this Tag and add it again.",
                                  row_[0].c_str(), caption ? caption : "Kind", row_[i].c_str()));
    }
    const TTagRow &row_;
    const TFamilyDesc &family_;
};

// The texts from "Read Only" to "B" (row positions 7 to 17), laid out alike in the three families.
constexpr size_t kReadOnly = 7;

template <typename Tag>
void AppendValueTexts(const Tag &t, TTagRow &row)
{
    auto limit = [&](const TTagValue &v) {
        if (t.Kind == KindInteger) return IntToStr(v.AsInteger);
        if (t.Kind == KindFloat) return RowFloatText(v.AsFloat);
        return std::string("0");
    };
    auto alarm = [&](const TTagValue &v) {
        if (t.Kind == KindInteger) return IntToStr(v.AsInteger);
        if (t.Kind == KindFloat) return RowFloatText(v.AsFloat);
        return std::string(v.AsBoolean ? "1" : "0");
    };
    row.push_back(YesNo(t.ReadOnly));
    row.push_back(YesNo(t.Limits));
    row.push_back(limit(t.WrMin));
    row.push_back(limit(t.WrMax));
    row.push_back(YesNo(t.Alarm));
    row.push_back(alarm(t.AlMin));
    row.push_back(alarm(t.AlMax));
    row.push_back(YesNo(t.EMail));
    row.push_back(ScaleTable().Text(t.Scale));
    row.push_back(RowFloatText(t.FactorA));
    row.push_back(RowFloatText(t.FactorB));
}

template <typename Tag>
void ReadValueTexts(const RowReader &r, Tag &t)
{
    const size_t i = kReadOnly;
    t.ReadOnly = r.Yes(i);
    t.Limits = r.Yes(i + 1);
    t.WrMin = TTagValue{};
    t.WrMax = TTagValue{};
    if (t.Kind == KindInteger) {
        t.WrMin.AsInteger = r.Int(i + 2);
        t.WrMax.AsInteger = r.Int(i + 3);
    } else if (t.Kind == KindFloat) {
        t.WrMin.AsFloat = r.Float(i + 2);
        t.WrMax.AsFloat = r.Float(i + 3);
    }
    t.Alarm = r.Yes(i + 4);
    t.AlMin = TTagValue{};
    t.AlMax = TTagValue{};
    if (t.Kind == KindDigital) {
        t.AlMin.AsBoolean = r.Text(i + 5) == "1";
        t.AlMax.AsBoolean = r.Text(i + 6) == "1";
    } else if (t.Kind == KindInteger) {
        t.AlMin.AsInteger = r.Int(i + 5);
        t.AlMax.AsInteger = r.Int(i + 6);
    } else if (t.Kind == KindFloat) {
        t.AlMin.AsFloat = r.Float(i + 5);
        t.AlMax.AsFloat = r.Float(i + 6);
    }
    t.EMail = r.Yes(i + 7);
    t.Scale = ScaleTable().Value(r.Text(i + 8));
    t.FactorA = r.Float(i + 9);
    t.FactorB = r.Float(i + 10);
}

std::string ModbusAddressText(const TModbusTagConfig &t)
{
    if (t.Source != 0) return "00000";
    std::string r;
    if (const char prefix = Modbus::RegTablePrefix(t.RegTable)) r += prefix;
    return r + Format(t.Address < 10000 ? "%.4d" : "%.5d", t.Address);
}

}  // namespace

std::string RowFloatText(float v) { return FloatToStr(double(v)); }

TTagRow ModbusTagToRow(const TModbusTagConfig &t)
{
    TTagRow row{t.Name,
                Modbus::SourceTable().Text(t.Source),
                IntToStr(t.UnitID),
                ModbusAddressText(t),
                Modbus::TypeTable().Text(t.Type),
                YesNo(t.Reg32),
                IntToStr(t.BitPos)};
    AppendValueTexts(t, row);
    row.push_back(YesNo(t.Trap));
    row.push_back(IntToStr(t.Kind));
    return row;
}

void ModbusRowToTag(const TTagRow &row, TModbusTagConfig &tag)
{
    const RowReader r(row, ModbusFamily());
    TModbusTagConfig t = tag;
    t.Kind = TTagKind(r.Int(19));
    t.Name = r.Text(0);
    t.Source = Modbus::SourceTable().Value(r.Text(1));
    t.UnitID = r.Int(2);
    const std::string &address = r.Text(3);
    t.Address = r.Int(3, address.empty() ? address : address.substr(1));
    if (const int table = Modbus::RegTableOfPrefix(address[0]); table >= 0) t.RegTable = uint8_t(table);
    t.Type = Modbus::TypeTable().Value(r.Text(4));
    t.Reg32 = r.Yes(5);
    t.BitPos = r.Int(6);
    ReadValueTexts(r, t);
    t.Trap = r.Yes(18);
    tag = t;
}

TTagRow HostlinkTagToRow(const THostlinkTagConfig &t)
{
    TTagRow row{t.Name,
                Hostlink::SourceTable().Text(t.Source),
                IntToStr(t.UnitID),
                Hostlink::RegTableTable().Text(t.RegTable),
                t.Source == 0 ? IntToStr(t.Address) : std::string("00000"),
                Hostlink::TypeTable().Text(t.Type),
                IntToStr(t.BitPos)};
    AppendValueTexts(t, row);
    row.push_back(IntToStr(t.Kind));
    return row;
}

void HostlinkRowToTag(const TTagRow &row, THostlinkTagConfig &tag)
{
    const RowReader r(row, HostlinkFamily());
    THostlinkTagConfig t = tag;
    t.Kind = TTagKind(r.Int(18));
    t.Name = r.Text(0);
    t.Source = Hostlink::SourceTable().Value(r.Text(1));
    t.UnitID = r.Int(2);
    t.RegTable = Hostlink::RegTableTable().Value(r.Text(3));
    t.Address = r.Int(4);
    t.Type = Hostlink::TypeTable().Value(r.Text(5));
    t.BitPos = r.Int(6);
    ReadValueTexts(r, t);
    tag = t;
}

TTagRow DF1TagToRow(const TDF1TagConfig &t)
{
    const bool serial = t.Source == 0;
    TTagRow row{t.Name,
                DF1::SourceTable().Text(t.Source),
                DF1::FileTypeTable().Text(t.FileType),
                serial ? IntToStr(t.FileNumber) : std::string("00000"),
                serial ? IntToStr(t.WordNumber) : std::string("00000"),
                DF1::TypeTable().Text(t.Type),
                IntToStr(t.BitPos)};
    AppendValueTexts(t, row);
    row.push_back(IntToStr(t.Kind));
    return row;
}

void DF1RowToTag(const TTagRow &row, TDF1TagConfig &tag)
{
    const RowReader r(row, DF1Family());
    TDF1TagConfig t = tag;
    t.Kind = TTagKind(r.Int(18));
    t.Name = r.Text(0);
    t.Source = DF1::SourceTable().Value(r.Text(1));
    t.FileType = DF1::FileTypeTable().Value(r.Text(2));
    t.FileNumber = r.Int(3);
    t.WordNumber = r.Int(4);
    t.Type = DF1::TypeTable().Value(r.Text(5));
    t.BitPos = r.Int(6);
    ReadValueTexts(r, t);
    tag = t;
}

void CheckRowName(const TTagRow &row, const TFamilyDesc &family) { RowReader(row, family).NameCarries(); }

}  // namespace vxt
