// The configuration replies of the three gateway families on any text: COM, SMTP, TOO and
// TAGCONFIG read into their records as the transfers read them, and the requests the program
// builds from those records, which must read back into the same records.
#include "ConfigWire.h"
#include "FuzzSupport.h"
#include "GatewayTables.h"
#include "StrUtils.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

using namespace vxt;

namespace {

// A reply value that does not convert raises EConvertError; the transfer reports it.
template <typename F>
bool Try(F &&f)
{
    try {
        f();
        return true;
    } catch (const EConvertError &) {
        return false;
    }
}

template <typename Tag>
bool SameTag(const Tag &a, const Tag &b)
{
    auto same = [](const TTagValue &x, const TTagValue &y) {
        return x.AsInteger == y.AsInteger && x.AsBoolean == y.AsBoolean &&
               (x.AsFloat == y.AsFloat || (x.AsFloat != x.AsFloat && y.AsFloat != y.AsFloat));
    };
    return a.Name == b.Name && a.Source == b.Source && a.Type == b.Type && a.BitPos == b.BitPos &&
           a.ReadOnly == b.ReadOnly && a.Limits == b.Limits && a.Alarm == b.Alarm && a.EMail == b.EMail &&
           a.Scale == b.Scale && a.Kind == b.Kind && same(a.WrMin, b.WrMin) && same(a.WrMax, b.WrMax) &&
           same(a.AlMin, b.AlMin) && same(a.AlMax, b.AlMax);
}

template <typename Tag>
bool Finite(const Tag &t)
{
    for (float f : {t.WrMin.AsFloat, t.WrMax.AsFloat, t.AlMin.AsFloat, t.AlMax.AsFloat, t.FactorA, t.FactorB})
        if (!std::isfinite(f)) return false;
    return true;
}

// The reply read into a fresh record; when it reads, the ADDTAG built from the record reads back.
template <typename Tag>
void TagConfig(const TPacket &reply)
{
    Tag t;
    if (!Try([&] { ReadTagConfig(reply, t); })) return;
    FUZZ_CHECK(t.Kind <= KindFloat);
    TPacket add;
    BuildAddTag(add, t);
    FUZZ_CHECK(add.IsCommand("ADDTAG"));
    // The name goes out escaped; a "/" in it does not read back (as on the devices). A value past the
    // single range (no device sends one) goes out as INF, which reads as nothing.
    if (t.Name.find('/') != std::string::npos || t.Name.empty() || !Finite(t)) return;
    Tag back;
    FUZZ_CHECK(Try([&] { ReadTagConfig(add, back); }));
    FUZZ_CHECK(SameTag(back, t));
}

template <typename Config>
void Com(const TPacket &reply)
{
    // The records are large (their tag arrays); keep them off the stack.
    auto c = std::make_unique<Config>();
    if (!Try([&] { ReadCom(reply, *c); })) return;
    FUZZ_CHECK(c->ComType <= 2);
    FUZZ_CHECK(c->Baud < BaudRates().size());
    TPacket set;
    BuildSetCom(set, *c);
    auto back = std::make_unique<Config>();
    FUZZ_CHECK(Try([&] { ReadCom(set, *back); }));
    FUZZ_CHECK(back->ComType == c->ComType && back->Baud == c->Baud && back->ScanTime == c->ScanTime &&
               back->MsgTimeout == c->MsgTimeout);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    TPacket reply;
    reply.SetText(text);

    Com<TModbusVeltoConfig>(reply);
    Com<THostlinkVeltoConfig>(reply);
    Com<TDF1VeltoConfig>(reply);

    TEmailConfig e;
    if (Try([&] { ReadSmtp(reply, e); })) {
        FUZZ_CHECK(e.RecipientCount == 0);
        for (int slot = -1; slot <= int(e.Recipients.size()); ++slot)
            FUZZ_CHECK(Try([&] { ReadToo(reply, e, slot); }));
        FUZZ_CHECK(e.RecipientCount >= 0 && e.RecipientCount <= int(e.Recipients.size()));
        for (int slot = -1; slot <= int(e.Recipients.size()); ++slot) {
            TPacket too;
            BuildSetToo(too, e, slot);
            BuildGetToo(too, slot);
        }
        TPacket smtp;
        BuildSetSmtp(smtp, e);
    }

    TagConfig<TModbusTagConfig>(reply);
    TagConfig<THostlinkTagConfig>(reply);
    TagConfig<TDF1TagConfig>(reply);
    return 0;
}
