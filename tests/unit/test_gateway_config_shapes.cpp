// Every family's tag shapes through row texts and configuration files.
#include "ConfigFile.h"
#include "ConfigRows.h"
#include "config_test_helpers.h"

using namespace vxt;

TEST(ConfigFile, HostlinkAndDF1ShapesRoundTripThroughFiles)
{
    std::vector<THostlinkTagConfig> hl(4);
    hl[0].Name = "DIG";   // Velto output, digital, negative edge
    hl[0].Source = 2;
    hl[0].Type = 6;
    hl[0].Alarm = true;
    hl[0].AlMax.AsBoolean = true;
    hl[1].Name = "INT";   // DM word with integer limits and alarm
    hl[1].RegTable = 5;
    hl[1].Address = 6143;
    hl[1].UnitID = 31;
    hl[1].Type = 1;
    hl[1].Limits = true;
    hl[1].WrMin.AsInteger = -100;
    hl[1].WrMax.AsInteger = 100;
    hl[1].Alarm = true;
    hl[1].EMail = true;
    hl[1].AlMin.AsInteger = -50;
    hl[1].AlMax.AsInteger = 50;
    hl[1].Kind = KindInteger;
    hl[2].Name = "FLT";   // scaled analog input
    hl[2].Source = 4;
    hl[2].Type = 1;
    hl[2].Scale = 1;
    hl[2].FactorA = 0.001f;
    hl[2].FactorB = 1e-6f;
    hl[2].Kind = KindFloat;
    hl[3].Name = "_ALARM";
    hl[3].Source = 3;
    hl[3].ReadOnly = true;
    std::vector<TTagRow> rows;
    for (const auto &t : hl) rows.push_back(HostlinkTagToRow(t));
    TMemIniFile ini;
    WriteTagRows(HostlinkFamily(), ini, rows);
    TMemIniFile reread;
    reread.LoadFromText(ini.GetText());
    const std::vector<TTagRow> back = ReadTagRows(HostlinkFamily(), reread);
    ASSERT_EQ(back, rows);
    for (size_t i = 0; i < hl.size(); ++i) {
        THostlinkTagConfig t;
        HostlinkRowToTag(back[i], t);
        ExpectSameTag(hl[i], t);
        EXPECT_EQ(t.UnitID, hl[i].UnitID);
        if (hl[i].Source == 0) {
            EXPECT_EQ(t.Address, hl[i].Address);
        }
    }

    std::vector<TDF1TagConfig> df(3);
    df[0].Name = "B3";   // binary file word bit
    df[0].FileType = 3;
    df[0].FileNumber = 3;
    df[0].WordNumber = 0;
    df[0].Type = 5;
    df[0].BitPos = 15;
    df[0].Alarm = true;
    df[0].AlMin.AsBoolean = true;
    df[1].Name = "F8";
    df[1].FileType = 5;
    df[1].FileNumber = 8;
    df[1].WordNumber = 255;
    df[1].Type = 3;
    df[1].Limits = true;
    df[1].WrMin.AsFloat = -1e20f;
    df[1].WrMax.AsFloat = 3.5f;
    df[1].Kind = KindFloat;
    df[2].Name = "OUT";
    df[2].Source = 2;
    df[2].FileType = 1;
    df[2].BitPos = 3;
    rows.clear();
    for (const auto &t : df) rows.push_back(DF1TagToRow(t));
    WriteTagRows(DF1Family(), ini, rows);
    reread.LoadFromText(ini.GetText());
    ASSERT_EQ(ReadTagRows(DF1Family(), reread), rows);
    for (size_t i = 0; i < df.size(); ++i) {
        TDF1TagConfig t;
        DF1RowToTag(rows[i], t);
        ExpectSameTag(df[i], t);
        EXPECT_EQ(t.FileType, df[i].FileType);
        if (df[i].Source == 0) {
            EXPECT_EQ(t.WordNumber, df[i].WordNumber);
        }
    }
}
