#include "ConfigFamily.h"

namespace vxt {

namespace {

using A = ColumnAlign;

// Keys common to every family's COM section, with the Modbus texts all three share.
TComKey ComTypeKey() { return {ComField::ComType, "COMTYPE", 0, 3, 0, "Serial COM Type", "RS-232"}; }
TComKey BaudKey() { return {ComField::Baud, "BAUD", 2400, 115200, 9600, "Baud Rate", "9600 bps"}; }
TComKey ScanTimeKey() { return {ComField::ScanTime, "SCANTIME", 0, 10000, 100, "Scan Time", "100 ms"}; }
TComKey MsgToutKey() { return {ComField::MsgTimeout, "MSGTOUT", 10, 2000, 1000, "Message Timeout", "1000 ms"}; }

// The value columns after "Bit Pos", the same in the three families.
std::vector<TTagColumn> ValueColumns()
{
    return {
        {"Read Only", A::Center, "READONLY"},
        {"Limits", A::Center, "LIMITS"},
        {"Min", A::Right, "WRMIN", true},
        {"Max", A::Right, "WRMAX", true},
        {"Alarm", A::Center, "ALARM"},
        {"Low", A::Right, "ALMIN", true},
        {"High", A::Right, "ALMAX", true},
        {"Email", A::Center, "EMAIL"},
        {"Scale", A::Center, "SCALE"},
        {"A", A::Right, "FACTORA", true},
        {"B", A::Right, "FACTORB", true},
    };
}

std::vector<TTagColumn> Join(std::vector<TTagColumn> head, const std::vector<TTagColumn> &tail)
{
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

const char *const kComNote = "The COM Type parameter only has effect on Velto-1C43.";

}  // namespace

const TFamilyDesc &ModbusFamily()
{
    static const TFamilyDesc d{
        "Modbus",
        "Velto Modbus Configuration - ",
        "MB",
        "1.0",
        {ComTypeKey(), BaudKey(), {ComField::Parity, "PARITY", 0, 2, 0, "Parity", "None"},
         {ComField::Format, "FORMAT", 0, 1, 0, "Format", "RTU"}, ScanTimeKey(), MsgToutKey(),
         {ComField::PktTimeout, "PKTTOUT", 3, 20, 4, "Packet Timeout", "4 bytes"}},
        "E-mail delivery Timeout",
        "E-mail delivery Retries",
        "Retry every",
        20,
        true,
        {{ValidateCheck::PacketTimeout, "Invalid Packet Timeout."},
         {ValidateCheck::Server, "Invalid SMTP Server."},
         {ValidateCheck::Timeout, "Invalid E-Mail Delivery Timeout."},
         {ValidateCheck::Retries, "Invalid E-Mail Delivery Retries."},
         {ValidateCheck::RetryInt, "Invalid time between retries."},
         {ValidateCheck::Sender, "Invalid E-mail Address."},
         {ValidateCheck::Recipients, "Invalid E-mail Address."},
         {ValidateCheck::User, "Invalid SMTP Username"},
         {ValidateCheck::UserText, "SMTP Username"},
         {ValidateCheck::Password, "Passwords do not match"},
         {ValidateCheck::PasswordText, "SMTP Password"},
         {ValidateCheck::ConfirmText, "SMTP Confirm Password"}},
        Join(Join({{"Name", A::Left, "NAME"},
                   {"Source", A::Center, "SOURCE"},
                   {"Unit ID", A::Right, "UNITID"},
                   {"Address", A::Right, "ADDRESS"},
                   {"Type", A::Center, "TYPE"},
                   {"32 Bit", A::Center, "ENRON"},
                   {"Bit Pos", A::Center, "BITPOS"}},
                  ValueColumns()),
             {{"Trap", A::Left, "TRAP", false, "No", true}, {nullptr, A::Left, "KIND"}}),
        "Retries (times)",
        "Sugested: 20",
        "The COM Type parameter only has effect on Velto-1C43.\nThe Modbus Packet Timeout only has effect in RTU "
        "Mode.",
    };
    return d;
}

const TFamilyDesc &HostlinkFamily()
{
    static const TFamilyDesc d{
        "Hostlink",
        "Velto Hostlink Configuration - ",
        "HL",
        "1.0",
        {ComTypeKey(), BaudKey(), {ComField::Parity, "PARITY", 0, 2, 0, "Parity", "None"}, ScanTimeKey(),
         MsgToutKey()},
        "E-Mail Sending Timeout",
        "E-Mail Sending Retries",
        "Time between E-Mail sending retries",
        49,
        false,
        {{ValidateCheck::Server, "Invalid SMTP Server."},
         {ValidateCheck::Timeout, "Invalid Delivery Timeout."},
         {ValidateCheck::Retries, "Invalid Delivery Retries."},
         {ValidateCheck::RetryInt, "Invalid time between retries."},
         {ValidateCheck::Sender, "Invalid E-mail address."},
         {ValidateCheck::Recipients, "Invalid E-mail address."},
         {ValidateCheck::User, "Invalid SMTP Username"},
         {ValidateCheck::UserText, "SMTP Username"},
         {ValidateCheck::Password, "Passwords do not match"},
         {ValidateCheck::PasswordText, "SMTP Password"},
         {ValidateCheck::ConfirmText, "SMTP Confirm Password"}},
        Join(Join({{"Name", A::Left, "NAME"},
                   {"Source", A::Center, "SOURCE"},
                   {"Unit ID", A::Right, "UNITID"},
                   {"Table", A::Center, "REGTABLE"},
                   {"Address", A::Right, "ADDRESS"},
                   {"Type", A::Center, "TYPE"},
                   {"Bit Pos", A::Center, "BITPOS"}},
                  ValueColumns()),
             {{nullptr, A::Left, "KIND"}}),
        "Retries (Times)",
        "Sugested: 20",
        kComNote,
    };
    return d;
}

const TFamilyDesc &DF1Family()
{
    static const TFamilyDesc d{
        "DF1",
        "Velto DF1 Configuration - ",
        "DF1",
        "2.0",
        {ComTypeKey(), BaudKey(), {ComField::Parity, "PARITY", 0, 1, 0, "Parity", "None"}, ScanTimeKey(),
         MsgToutKey(), {ComField::DataBits, "DATABITS", 7, 8, 8, "Data Bits", "8"},
         {ComField::ErrorMethod, "ERRORMTHD", 0, 1, 0, "Error Detection", "CRC"}},
        "E-mail delivery timeout",
        "E-mail delivery retries",
        "Retry every",
        49,
        false,
        {{ValidateCheck::Server, "The SMTP Server is not valid."},
         {ValidateCheck::Timeout, "The E-Mail Sending Timeout is not valid."},
         {ValidateCheck::Retries, "The E-Mail Sending Retries is not valid."},
         {ValidateCheck::RetryInt, "The time between retries is not valid."},
         {ValidateCheck::Sender, "The E-mail Address is not valid."},
         {ValidateCheck::User, "Invalid SMTP Username"},
         {ValidateCheck::UserText, "SMTP Username"},
         {ValidateCheck::Password, "Passwords do not match"},
         {ValidateCheck::PasswordText, "SMTP Password"},
         {ValidateCheck::ConfirmText, "SMTP Confirm Password"},
         {ValidateCheck::Recipients, "The E-mail Address is not valid."}},
        Join(Join({{"Name", A::Left, "NAME"},
                   {"Source", A::Center, "SOURCE"},
                   {"File Type", A::Center, "FILETYPE"},
                   {"File No.", A::Right, "FILENUMBER"},
                   {"Word No.", A::Right, "WORDNUMBER"},
                   {"Type", A::Center, "TYPE"},
                   {"Bit Pos", A::Center, "BITPOS"}},
                  ValueColumns()),
             {{nullptr, A::Left, "KIND"}}),
        "Retries (times)",
        "Sugested: 20 secs",
        kComNote,
    };
    return d;
}

}  // namespace vxt
