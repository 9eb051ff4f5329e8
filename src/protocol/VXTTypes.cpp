#include "VXTTypes.h"

#include "FileUtils.h"
#include "IniFile.h"
#include "VeltoSite.h"

namespace vxt {

namespace {

// The Hostlink and DF1 rule: source, type and scale decide; word bit is type 5, float type 3.
TTagKind SimpleTagKind(uint8_t source, uint8_t type, uint8_t scale)
{
    if (source == 1 || source == 2 || source == 3 || (source == 0 && type == 5)) return KindDigital;
    if (scale == 0 && (source == 4 || (source == 0 && type != 3 && type != 5))) return KindInteger;
    return KindFloat;
}

bool ProbeConfig(const std::string &content, const char *fileType, const char *fileVersion)
{
    // The header section may stand anywhere in the text; a zero byte ends the text for this look,
    // the document itself refuses such a file with its own message.
    TMemIniFile ini;
    ini.LoadFromText(content);
    return ini.ReadString("GENERAL", "FILETYPE", "") == fileType &&
           ini.ReadString("GENERAL", "FILEVERSION", "") == fileVersion;
}

// The header and the container's length decide; `head` holds at least the header where there is one.
bool SiteHeaderMatches(const std::string &head, int64_t size)
{
    TVeltoSite site{std::string()};
    site.LoadFromBytes(head.substr(0, size_t(TVeltoSite::kHeaderSize)));
    const TSiteHeader h = site.ReadHeader();
    if (site.Size() < TVeltoSite::kHeaderSize || h.Version != 1) return false;
    // A web site saved without files keeps the header of a new container (total 34 for 8 bytes);
    // it is still a web site the user must be able to open again.
    const bool emptySite = size == 8 && h.FileCount == 0 && h.TotalSize == 34;
    return emptySite || h.TotalSize == uint64_t(size);
}

bool ProbeFile(const std::string &fileName, bool (*probe)(const std::string &))
{
    const std::optional<std::string> content = ReadDocumentFile(fileName);
    return content && probe(*content);
}

}  // namespace

TTagKind ModbusTagKind(const TModbusTagConfig &t)
{
    if (t.Source == 1 || t.Source == 2 || t.Source == 3 ||
        (t.Source == 0 && (t.RegTable == 2 || t.RegTable == 3)) || (t.Source == 0 && t.Type == 7))
        return KindDigital;
    if (t.Scale == 0 &&
        (t.Source == 4 || (t.Source == 0 && (t.RegTable == 0 || t.RegTable == 1) && t.Type != 4 && t.Type != 5 &&
                           t.Type != 7)))
        return KindInteger;
    return KindFloat;
}

TTagKind HostlinkTagKind(const THostlinkTagConfig &t) { return SimpleTagKind(t.Source, t.Type, t.Scale); }

TTagKind DF1TagKind(const TDF1TagConfig &t) { return SimpleTagKind(t.Source, t.Type, t.Scale); }

bool IsModbusConfigContent(const std::string &content) { return ProbeConfig(content, "MB", "1.0"); }

bool IsHostlinkConfigContent(const std::string &content) { return ProbeConfig(content, "HL", "1.0"); }

bool IsDF1ConfigContent(const std::string &content) { return ProbeConfig(content, "DF1", "2.0"); }

bool IsSiteContent(const std::string &content) { return SiteHeaderMatches(content, int64_t(content.size())); }

bool IsModbusConfigFile(const std::string &fileName) { return ProbeFile(fileName, IsModbusConfigContent); }

bool IsHostlinkConfigFile(const std::string &fileName) { return ProbeFile(fileName, IsHostlinkConfigContent); }

bool IsDF1ConfigFile(const std::string &fileName) { return ProbeFile(fileName, IsDF1ConfigContent); }

bool IsSiteFile(const std::string &fileName)
{
    if (!FileFound(fileName)) return false;
    CheckDocumentFileSize(fileName);
    // The file's length is known without reading it: only the header is read.
    return SiteHeaderMatches(ReadFileHead(fileName, size_t(TVeltoSite::kHeaderSize)), FileSize(fileName));
}

}  // namespace vxt
