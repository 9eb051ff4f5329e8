// The configuration requests and replies of the three families on the wire: the record fields put
// into SETCOM, SETSMTP, SETTOO and ADDTAG, and read back from COM, SMTP, TOO and TAGCONFIG. A value
// outside a mapping table leaves the record field as it was.
#pragma once

#include "KProt.h"
#include "VXTTypes.h"

namespace vxt {

void BuildSetSmtp(TPacket &p, const TEmailConfig &e);
// SETTOO for slot `slot` (0 to 4); an empty EMAIL for a slot at or past the recipient count.
void BuildSetToo(TPacket &p, const TEmailConfig &e, int slot);
void BuildGetCom(TPacket &p);
void BuildGetToo(TPacket &p, int slot);
void BuildGetTag(TPacket &p, int index);
// SMTP reply into `e`; the recipient count starts again at 0.
void ReadSmtp(const TPacket &p, TEmailConfig &e);
// TOO reply of slot `slot`, read in slot order: a non-empty address becomes the next recipient.
void ReadToo(const TPacket &p, TEmailConfig &e, int slot);

void BuildSetCom(TPacket &p, const TModbusVeltoConfig &c);
void BuildSetCom(TPacket &p, const THostlinkVeltoConfig &c);
void BuildSetCom(TPacket &p, const TDF1VeltoConfig &c);
void ReadCom(const TPacket &p, TModbusVeltoConfig &c);
void ReadCom(const TPacket &p, THostlinkVeltoConfig &c);
void ReadCom(const TPacket &p, TDF1VeltoConfig &c);

void BuildAddTag(TPacket &p, const TModbusTagConfig &t);
void BuildAddTag(TPacket &p, const THostlinkTagConfig &t);
void BuildAddTag(TPacket &p, const TDF1TagConfig &t);
void ReadTagConfig(const TPacket &p, TModbusTagConfig &t);
void ReadTagConfig(const TPacket &p, THostlinkTagConfig &t);
void ReadTagConfig(const TPacket &p, TDF1TagConfig &t);

}  // namespace vxt
