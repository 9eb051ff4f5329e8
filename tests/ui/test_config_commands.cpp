// The main window's Add, Edit and Remove Tag and Send To commands on the configuration documents.
#include "test_config_support.h"

#include <QAction>
#include <QtTest>

using namespace vxt;
using namespace vxt::test;

namespace {

TModbusTagConfig Tag(const char *name, int address = 1)
{
    TModbusTagConfig t;
    t.Name = name;
    t.UnitID = 1;
    t.Address = address;
    t.Kind = KindInteger;
    return t;
}

}  // namespace

class TestConfigCommands : public QObject {
    Q_OBJECT
private:
    ConfigWindows w;

private slots:
    void init() { w.Create(); }
    void cleanup() { w.Destroy(); }

    void addRefusesADuplicateAndOpensTheEditorAgain()
    {
        auto *doc = w.NewDocument<TMDIModbusConfig>(DocKind::Modbus);
        doc->AddTagToList(Tag("TANK"));
        doc->Saved = true;
        MessageBoxRecorder boxes;
        std::vector<uint8_t> modes;
        AnswerTagEditor<TfrmModbusTags>(Tag("TANK", 7), true, &modes,
                                        [&modes]() { AnswerTagEditor<TfrmModbusTags>(Tag("tank", 7), true, &modes); });
        w.form->ConfigurationAddTagExecute();
        QCOMPARE(boxes.Texts(), std::vector<std::string>{"The Tag TANK already exists."});
        QCOMPARE(modes, (std::vector<uint8_t>{0, 1}));
        QCOMPARE(doc->GetTagCount(), 2);
        QCOMPARE(doc->TagName(1), std::string("tank"));   // letter case makes another name
        QCOMPARE(doc->RowTexts(1)[3], std::string("40007"));
        QVERIFY(!doc->Saved);

        // Cancelled after the message: nothing changes.
        doc->Saved = true;
        boxes.Clear();
        AnswerTagEditor<TfrmModbusTags>(Tag("TANK"), true, nullptr,
                                        []() { AnswerTagEditor<TfrmModbusTags>(Tag("X"), false); });
        w.form->ConfigurationAddTagExecute();
        QCOMPARE(boxes.Texts().size(), size_t(1));
        QCOMPARE(doc->GetTagCount(), 2);
        QVERIFY(doc->Saved);
    }

    void theHundredAndTwentyNinthTagIsRefused()
    {
        auto *doc = w.NewDocument<TMDIHostlinkConfig>(DocKind::Hostlink);
        THostlinkTagConfig t;
        for (int i = 0; i < 127; ++i) {
            t.Name = "T" + std::to_string(i);
            doc->AddTagToList(t);
        }
        MessageBoxRecorder boxes;
        t.Name = "LAST";
        AnswerTagEditor<TfrmHostlinkTags>(t);
        w.form->ConfigurationAddTagExecute();
        QCOMPARE(doc->GetTagCount(), 128);
        QVERIFY(boxes.Shown().empty());
        bool shown = false;
        WhenModalOf<TfrmHostlinkTags>([&shown](TfrmHostlinkTags *dlg) {
            shown = true;
            dlg->reject();
        }, 300);
        w.form->ConfigurationAddTagExecute();
        QCOMPARE(boxes.Texts(), std::vector<std::string>{"Cannot add more than 128 Tags."});
        QVERIFY(!shown);
    }

    void editLoadsTheRowAndKeepsItsOwnName()
    {
        auto *doc = w.NewDocument<TMDIDF1Config>(DocKind::DF1);
        TDF1TagConfig a, b;
        a.Name = "A";
        a.FileType = 4;
        a.FileNumber = 7;
        a.WordNumber = 12;
        a.Kind = KindInteger;
        b.Name = "B";
        doc->AddTagToList(a);
        doc->AddTagToList(b);
        doc->PageControl->setCurrentIndex(2);
        doc->lstTags->selectRow(0);
        w.form->UpdateActions();
        QVERIFY(doc->TagsPageActive() && doc->HasSelectedItem());
        QVERIFY(w.form->ConfigurationEditTag->isEnabled());
        doc->Saved = true;
        MessageBoxRecorder boxes;
        TDF1TagConfig loaded;
        uint8_t mode = 9;
        WhenModalOf<TfrmDF1Tags>([&](TfrmDF1Tags *dlg) {
            loaded = dlg->Tag;
            mode = dlg->EditMode;
            dlg->Tag.WordNumber = 13;   // same name: its own row is excepted
            dlg->accept();
        });
        w.form->ConfigurationEditTagExecute();
        QCOMPARE(mode, uint8_t(1));
        QCOMPARE(loaded.Name, std::string("A"));
        QCOMPARE(loaded.FileType, uint8_t(4));
        QCOMPARE(loaded.FileNumber, 7);
        QCOMPARE(loaded.WordNumber, 12);
        QVERIFY(boxes.Shown().empty());
        QCOMPARE(doc->RowTexts(0)[4], std::string("13"));
        QVERIFY(!doc->Saved);

        // Renamed to the other row's name: refused, and the editor shows the edited values again.
        doc->Saved = true;
        TDF1TagConfig again;
        WhenModalOf<TfrmDF1Tags>([&again](TfrmDF1Tags *dlg) {
            dlg->Tag.Name = "B";
            dlg->Tag.WordNumber = 99;
            dlg->accept();
            WhenModalOf<TfrmDF1Tags>([&again](TfrmDF1Tags *next) {
                again = next->Tag;
                next->reject();
            });
        });
        w.form->ConfigurationEditTagExecute();
        QCOMPARE(boxes.Texts(), std::vector<std::string>{"The Tag B already exists."});
        QCOMPARE(again.Name, std::string("B"));
        QCOMPARE(again.WordNumber, 99);
        QCOMPARE(doc->TagName(0), std::string("A"));
        QVERIFY(doc->Saved);
    }

    void doubleClickEditsWithTheSameRules()
    {
        auto *doc = w.NewDocument<TMDIModbusConfig>(DocKind::Modbus);
        doc->AddTagToList(Tag("ONE"));
        doc->AddTagToList(Tag("TWO"));
        doc->lstTags->selectRow(1);
        doc->Saved = true;
        MessageBoxRecorder boxes;
        AnswerTagEditor<TfrmModbusTags>(Tag("ONE"), true, nullptr,
                                        []() { AnswerTagEditor<TfrmModbusTags>(Tag("X"), false); });
        doc->lstTagsDblClick();
        QCOMPARE(boxes.Texts(), std::vector<std::string>{"The Tag ONE already exists."});
        QCOMPARE(doc->TagName(1), std::string("TWO"));
        QVERIFY(doc->Saved);
        AnswerTagEditor<TfrmModbusTags>(Tag("THREE", 65536));
        doc->lstTagsDblClick();
        QCOMPARE(doc->TagName(1), std::string("THREE"));
        QCOMPARE(doc->RowTexts(1)[3], std::string("465536"));
        QVERIFY(!doc->Saved);
        doc->lstTags->clearSelection();
        doc->Saved = true;
        doc->lstTagsDblClick();   // no row selected: nothing
        QVERIFY(doc->Saved);
    }

    void removeAsksFirst()
    {
        auto *doc = w.NewDocument<TMDIModbusConfig>(DocKind::Modbus);
        doc->AddTagToList(Tag("ONE"));
        doc->AddTagToList(Tag("TWO"));
        doc->lstTags->selectRow(0);
        doc->Saved = true;
        MessageBoxRecorder boxes;
        boxes.Answer(MsgResult::No);
        w.form->ConfigurationRemoveTagExecute();
        QCOMPARE(boxes.Texts(), std::vector<std::string>{"Are you sure to delete the Tag \"ONE\""});
        QCOMPARE(doc->GetTagCount(), 2);
        QVERIFY(doc->Saved);
        boxes.Answer(MsgResult::Yes);
        w.form->ConfigurationRemoveTagExecute();
        QCOMPARE(doc->GetTagCount(), 1);
        QCOMPARE(doc->TagName(0), std::string("TWO"));
        QVERIFY(!doc->Saved);
    }

    void aConfigurationOfAnotherFamilyIsNotSent()
    {
        w.NewDocument<TMDIHostlinkConfig>(DocKind::Hostlink);
        w.form->Connected = true;
        w.form->ConnectedDevice.Family = 0;
        MessageBoxRecorder boxes;
        w.form->ConfigurationSendToVeltoExecute();
        QCOMPARE(boxes.Texts(), std::vector<std::string>{"The Configuration file you're trying to send do not "
                                                         "correspond\r\nto the Model of the Connected Velto."});
        QVERIFY(!frmTransferHostlinkConfig->isVisible());
    }

    void tagActionsFollowThePageAndTheSelection()
    {
        auto *doc = w.NewDocument<TMDIModbusConfig>(DocKind::Modbus);
        doc->AddTagToList(Tag("ONE"));
        w.form->UpdateActions();
        QVERIFY(!w.form->ConfigurationAddTag->isEnabled());
        doc->PageControl->setCurrentIndex(2);
        w.form->UpdateActions();
        QVERIFY(w.form->ConfigurationAddTag->isEnabled());
        QVERIFY(!w.form->ConfigurationRemoveTag->isEnabled());
        doc->lstTags->selectRow(0);
        w.form->UpdateActions();
        QVERIFY(w.form->ConfigurationRemoveTag->isEnabled());
    }
};

QTEST_MAIN(TestConfigCommands)
#include "test_config_commands.moc"
