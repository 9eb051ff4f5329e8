// What tells the three gateway families apart where their documents and files otherwise work alike:
// the file header, the COM keys with their bounds and warning texts, the SMTP warning texts, the
// validation order and texts, and the tag columns with their file keys. Plain data, no windows.
#pragma once

#include <string>
#include <vector>

namespace vxt {

// The serial settings of a document as its pages hold them (list indexes, not wire codes).
struct TSerialSettings {
    int ComType = 0;       // 0 RS-232, 1 RS-485, 2 RS-422
    int Baud = 2;          // index into BaudRates(): 9600
    int Parity = 0;        // list index
    int Format = 0;        // Modbus: 0 RTU, 1 ASCII
    int ScanTime = 100;    // ms
    int MsgTimeout = 1000; // ms
    int PktTimeout = 4;    // Modbus RTU packet timeout, bytes
    int DataBits = 8;      // DF1: 7 or 8
    int ErrorMethod = 0;   // DF1: 0 CRC, 1 BCC
};

// The e-mail page: relay settings and up to five recipients.
struct TEmailSettings {
    bool Enable = false;
    std::string Server;
    int Timeout = 20, Retries = 5, RetryInt = 10;
    std::string From;
    bool Auth = false;
    std::string User, Pass, PassConfirm;
    std::vector<std::string> Recipients;
};

constexpr int kMaxRecipients = 5;

enum class ComField { ComType, Baud, Parity, Format, ScanTime, MsgTimeout, PktTimeout, DataBits, ErrorMethod };

struct TComKey {
    ComField Field;
    const char *Key;
    int Min, Max, Default;
    const char *Label;        // the parameter's name in the reading warning
    const char *DefaultText;  // the default as the warning shows it
};

// The document checks, each family has its own order and texts.
enum class ValidateCheck {
    PacketTimeout, Server, Timeout, Retries, RetryInt, Sender, Recipients, User, UserText, Password, PasswordText,
    ConfirmText
};

struct TCheckText {
    ValidateCheck Check;
    const char *Message;   // for UserText, PasswordText and ConfirmText: the field the refusal names
};

enum class ColumnAlign { Left, Center, Right };

// One text of a tag-list row: a column (or the hidden kind) and its file key.
struct TTagColumn {
    const char *Caption;      // nullptr: the hidden kind text, no column
    ColumnAlign Align;
    const char *Key;
    bool NumberValue = false; // one of the six limit and factor values
    const char *Default = ""; // the text a file without the key gives
    bool RunTimeColumn = false;
};

struct TFamilyDesc {
    const char *Name;            // "Modbus", "Hostlink", "DF1"
    const char *CaptionPrefix;   // "Velto Modbus Configuration - "
    const char *FileType, *FileVersion;
    std::vector<TComKey> ComKeys;                 // in file order
    const char *TimeoutLabel, *RetriesLabel, *RetryIntLabel;
    int PassMaxLength;
    bool ConvertDecimal;         // the six number values are written with the locale's separator
    std::vector<TCheckText> Checks;               // in order
    std::vector<TTagColumn> TagColumns;           // row order: caption first, kind last
    // Texts of the E-Mails page that differ.
    const char *RetriesCaption, *TimeoutHint;
    const char *ComNote;
};

const TFamilyDesc &ModbusFamily();
const TFamilyDesc &HostlinkFamily();
const TFamilyDesc &DF1Family();

}  // namespace vxt
