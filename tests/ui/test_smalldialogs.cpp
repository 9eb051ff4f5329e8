// The small shared dialogs: password, version notice, unsupported feature, e-mail address,
// bounded integer, the wait banner and the about box, driven as their callers drive them.
#include "About.h"
#include "EMail.h"
#include "InfoMsg.h"
#include "InputInteger.h"
#include "KeyFilter.h"
#include "NoFeature.h"
#include "OsVersion.h"
#include "Password.h"
#include "UiTestSupport.h"
#include "Version.h"

#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <QCloseEvent>
#include <QtTest/qtestspontaneevent.h>

using namespace vxt;
using namespace vxt::test;

namespace {

// Shows `dlg` modally as its callers do; `f` runs once it is up and must close it.
int ExecWith(QDialog *dlg, std::function<void()> f)
{
    WhenModal([dlg, f](QWidget *) {
        if (QTest::qWaitForWindowActive(dlg)) f();
        if (dlg->isVisible()) dlg->reject();   // a failed check must not leave the test waiting
    });
    return dlg->exec();
}

bool CentredOnScreen(QWidget *w)
{
    const QPoint d = w->frameGeometry().center() - w->screen()->availableGeometry().center();
    return d.manhattanLength() <= 2;
}

bool OnlySystemMenu(QWidget *w)
{
    const Qt::WindowFlags f = w->windowFlags();
    return (f & Qt::WindowSystemMenuHint) && (f & Qt::WindowCloseButtonHint) && !(f & Qt::WindowMinimizeButtonHint) &&
           !(f & Qt::WindowMaximizeButtonHint) && !(f & Qt::WindowContextHelpButtonHint);
}

bool FixedSize(QWidget *w) { return w->minimumSize() == w->maximumSize(); }

}  // namespace

class TestSmallDialogs : public QObject {
    Q_OBJECT

private slots:
    // ---- password -------------------------------------------------------------------------

    void passwordControls()
    {
        TfrmPassword dlg;
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Device Current Password"));
        QCOMPARE(dlg.grpPassword->title(), QStringLiteral("Password"));
        QCOMPARE(dlg.lblNote->text(), QStringLiteral("Device password required for this operation to be performed. "
                                                     "Please enter current Administrator Password."));
        QCOMPARE(dlg.lblPassword->text(), QStringLiteral("Password"));
        QCOMPARE(TypingLimit(dlg.txtPassword), 20);
        QCOMPARE(dlg.txtPassword->echoMode(), QLineEdit::Password);
        QCOMPARE(dlg.txtPassword->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, dlg.txtPassword),
                 int('*'));
        QCOMPARE(dlg.btnOk->text(), QStringLiteral("OK"));
        QVERIFY(dlg.btnOk->isDefault());
        QCOMPARE(dlg.btnCancel->text(), QStringLiteral("Cancel"));
        QVERIFY(OnlySystemMenu(&dlg));
        QCOMPARE(frmPassword, nullptr);   // the program entry creates the one instance
    }

    void passwordTypedAndAlwaysOpensEmpty()
    {
        TfrmPassword dlg;
        int r = ExecWith(&dlg, [&] {
            QVERIFY(dlg.txtPassword->hasFocus());
            QVERIFY(CentredOnScreen(&dlg));
            QVERIFY(FixedSize(&dlg));
            QTest::keyClicks(dlg.txtPassword, QStringLiteral("se,cr/et"));
            QCOMPARE(dlg.txtPassword->displayText(), QStringLiteral("********"));
            QTest::mouseClick(dlg.btnOk, Qt::LeftButton);
        });
        QCOMPARE(r, int(QDialog::Accepted));
        QCOMPARE(dlg.Password, std::string("se,cr/et"));

        // Opened again right after: empty and focused; Cancel keeps the stored password.
        r = ExecWith(&dlg, [&] {
            QCOMPARE(dlg.txtPassword->text(), QString());
            QVERIFY(dlg.txtPassword->hasFocus());
            QTest::keyClicks(dlg.txtPassword, QStringLiteral("other"));
            QTest::mouseClick(dlg.btnCancel, Qt::LeftButton);
        });
        QCOMPARE(r, int(QDialog::Rejected));
        QCOMPARE(dlg.Password, std::string("se,cr/et"));

        // An empty password is accepted (the callers compare it); Enter presses OK.
        r = ExecWith(&dlg, [&] {
            QCOMPARE(dlg.txtPassword->text(), QString());
            QTest::keyClick(dlg.txtPassword, Qt::Key_Return);
        });
        QCOMPARE(r, int(QDialog::Accepted));
        QCOMPARE(dlg.Password, std::string());
    }

    // The password goes to the device as 8-bit text: a character outside Latin-1 is refused by name,
    // with the dialog open and the box focused, instead of arriving as "?".
    void passwordOutsideLatin1IsRefused()
    {
        MessageBoxRecorder boxes;
        TfrmPassword dlg;
        const int r = ExecWith(&dlg, [&] {
            const std::pair<const char *, std::string> cases[] = {{"S\u00FCd\u20AC2024", "\"\u20AC\" (U+20AC)"},
                                                                  {"\u914Dx", "\"\u914D\" (U+914D)"}};
            for (const auto &[typed, character] : cases) {
                dlg.txtPassword->setText(QString::fromUtf8(typed));
                dlg.btnCancel->setFocus();
                boxes.Clear();
                QTest::mouseClick(dlg.btnOk, Qt::LeftButton);
                QCOMPARE(boxes.Texts(), std::vector<std::string>{"The Password cannot contain " + character + "."});
                QVERIFY(boxes.Shown().front().Kind == MsgKind::Error);
                QVERIFY(dlg.isVisible());
                QVERIFY(dlg.txtPassword->hasFocus());
            }
            dlg.txtPassword->setText(QString::fromUtf8("S\u00FCd2024"));
            QTest::mouseClick(dlg.btnOk, Qt::LeftButton);
        });
        QCOMPARE(r, int(QDialog::Accepted));
        QCOMPARE(dlg.Password, std::string("S\xFC" "d2024"));
    }

    void passwordMaxLength()
    {
        TfrmPassword dlg;
        ExecWith(&dlg, [&] {
            QTest::keyClicks(dlg.txtPassword, QStringLiteral("123456789012345678901234"));
            dlg.btnOk->click();
        });
        QCOMPARE(dlg.Password, std::string("12345678901234567890"));
    }

    // ---- version and unsupported-feature notices -----------------------------------------

    void versionNotice()
    {
        TfrmVersion dlg;
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Non-compatible version"));
        QCOMPARE(dlg.btnOk->text(), QStringLiteral("Close"));
        QVERIFY(dlg.btnOk->isDefault());
        QVERIFY(dlg.txtVersion->wordWrap());
        QCOMPARE(dlg.txtVersion->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        // Room for about four lines.
        QVERIFY(dlg.txtVersion->minimumHeight() >= 4 * dlg.txtVersion->fontMetrics().lineSpacing());
        dlg.txtVersion->setText(QStringLiteral("This device needs a newer firmware."));
        dlg.txtVeltoVersion->setText(QStringLiteral("Device version: 2.0.1-SN"));
        const int r = ExecWith(&dlg, [&] {
            QVERIFY(dlg.txtVeltoVersion->isVisible());
            QTest::mouseClick(dlg.btnOk, Qt::LeftButton);
        });
        QCOMPARE(r, int(QDialog::Accepted));
        QCOMPARE(dlg.txtVeltoVersion->text(), QStringLiteral("Device version: 2.0.1-SN"));
        QCOMPARE(frmVersion, nullptr);
    }

    void unsupportedFeatureNotice()
    {
        TfrmNoFeature dlg;
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Unsupported feature"));
        QCOMPARE(dlg.lblNote->text(),
                 QStringLiteral("The Velto connected to VXT could not support one feature provided by this "
                                "application, though it will configured appropriately. The non-supported feature "
                                "is the following "));
        QVERIFY(dlg.lblNote->wordWrap());
        QCOMPARE(dlg.btnOk->text(), QStringLiteral("Close"));
        QVERIFY(dlg.btnOk->isDefault());
        dlg.txtUnsupported->setText(QStringLiteral("SMTP relay not authenticated"));
        const int r = ExecWith(&dlg, [&] {
            QVERIFY(dlg.txtUnsupported->y() > dlg.lblNote->y());   // the name stands under the note
            QTest::keyClick(&dlg, Qt::Key_Return);
        });
        QCOMPARE(r, int(QDialog::Accepted));
        QCOMPARE(frmNoFeature, nullptr);
    }

    // ---- e-mail ---------------------------------------------------------------------------

    void emailControls()
    {
        TfrmEmail dlg;
        QCOMPARE(dlg.windowTitle(), QStringLiteral("E-Mail Address"));
        QCOMPARE(dlg.lblEMail->text(), QStringLiteral("E-Mail"));
        QCOMPARE(TypingLimit(dlg.txtEMail), 50);
        QVERIFY(dlg.btnOk->isDefault());
        QCOMPARE(dlg.btnCancel->text(), QStringLiteral("Cancel"));
        QVERIFY(OnlySystemMenu(&dlg));
        QCOMPARE(frmEmail, nullptr);
    }

    void emailAddModeOpensEmpty()
    {
        TfrmEmail dlg;
        dlg.EditMode = 0;
        dlg.Address = "old@example.com";
        const int r = ExecWith(&dlg, [&] {
            QCOMPARE(dlg.txtEMail->text(), QString());
            QVERIFY(dlg.txtEMail->hasFocus());
            QTest::keyClicks(dlg.txtEMail, QStringLiteral("new.one@example.com"));
            QTest::mouseClick(dlg.btnOk, Qt::LeftButton);
        });
        QCOMPARE(r, int(QDialog::Accepted));
        QCOMPARE(dlg.Address, std::string("new.one@example.com"));
    }

    void emailEditModeOpensWithAddress()
    {
        TfrmEmail dlg;
        dlg.EditMode = 1;
        dlg.Address = "old@example.com";
        const int r = ExecWith(&dlg, [&] {
            QCOMPARE(dlg.txtEMail->text(), QStringLiteral("old@example.com"));
            QTest::mouseClick(dlg.btnCancel, Qt::LeftButton);
        });
        QCOMPARE(r, int(QDialog::Rejected));
        QCOMPARE(dlg.Address, std::string("old@example.com"));
    }

    // An address longer than the box lets one type (one a device holds) is shown and kept whole.
    void emailEditModeKeepsALongAddressWhole()
    {
        TfrmEmail dlg;
        dlg.EditMode = 1;
        const std::string longAddress = std::string(50, 'a') + "@plant.test";
        dlg.Address = longAddress;
        const int r = ExecWith(&dlg, [&] {
            QCOMPARE(dlg.txtEMail->text(), QString::fromStdString(longAddress));
            QTest::keyClick(dlg.txtEMail, Qt::Key_End);
            QTest::keyClicks(dlg.txtEMail, QStringLiteral("x"));   // typing still stops at the limit
            QCOMPARE(dlg.txtEMail->text(), QString::fromStdString(longAddress));
            QTest::mouseClick(dlg.btnOk, Qt::LeftButton);
        });
        QCOMPARE(r, int(QDialog::Accepted));
        QCOMPARE(dlg.Address, longAddress);
    }

    void emailInvalidKeepsDialogOpen()
    {
        MessageBoxRecorder boxes;
        TfrmEmail dlg;
        dlg.EditMode = 2;
        dlg.Address = "kept@example.com";
        bool openDuringBox = false;
        boxes.OnShow = [&](const ShownBox &) { openDuringBox = dlg.isVisible(); };
        const int r = ExecWith(&dlg, [&] {
            dlg.txtEMail->clear();
            QTest::keyClicks(dlg.txtEMail, QStringLiteral("not an address"));
            dlg.btnCancel->setFocus();
            QTest::mouseClick(dlg.btnOk, Qt::LeftButton);
            QVERIFY(dlg.isVisible());
            QVERIFY(dlg.txtEMail->hasFocus());
            QCOMPARE(dlg.txtEMail->text(), QStringLiteral("not an address"));
            QCOMPARE(dlg.Address, std::string("kept@example.com"));
            dlg.txtEMail->setText(QStringLiteral("nobody"));   // no "@"
            QTest::mouseClick(dlg.btnOk, Qt::LeftButton);
            QVERIFY(dlg.isVisible());
            dlg.txtEMail->setText(QString::fromUtf8("a\u20AC@b"));   // no byte for the device
            QTest::mouseClick(dlg.btnOk, Qt::LeftButton);
            QVERIFY(dlg.isVisible());
            // The blanks the check ignores are not kept either: the file would drop them.
            dlg.txtEMail->setText(QStringLiteral("  a@b "));
            QTest::mouseClick(dlg.btnOk, Qt::LeftButton);
        });
        QCOMPARE(r, int(QDialog::Accepted));
        QCOMPARE(dlg.Address, std::string("a@b"));
        QVERIFY(openDuringBox);
        QCOMPARE(boxes.Shown().size(), size_t(3));
        for (const ShownBox &b : boxes.Shown()) {
            QCOMPARE(b.Text, std::string("The E-mail Address is not valid."));
            QVERIFY(b.Kind == MsgKind::Error);
            QCOMPARE(b.Buttons, int(mbOK));
        }
    }

    // ---- bounded integer ------------------------------------------------------------------

    void integerShowsTitleAndValue()
    {
        TfrmInputInteger dlg;
        dlg.Title = "Scan Time [ms]";
        dlg.MinValue = 1;
        dlg.MaxValue = 100;
        dlg.Value = 42;
        QCOMPARE(dlg.grpValue->title(), QStringLiteral("Enter Value"));
        QCOMPARE(TypingLimit(dlg.txtValue), 8);
        QVERIFY(dlg.btnOk->isDefault());
        QCOMPARE(frmInputInteger, nullptr);
        const int r = ExecWith(&dlg, [&] {
            QCOMPARE(dlg.windowTitle(), QStringLiteral("Scan Time [ms]"));
            QCOMPARE(dlg.lblValue->text(), QStringLiteral("Scan Time [ms]"));
            QCOMPARE(dlg.txtValue->text(), QStringLiteral("42"));
            QVERIFY(dlg.txtValue->hasFocus());
            QVERIFY(CentredOnScreen(&dlg));
            QVERIFY(FixedSize(&dlg));
            QTest::mouseClick(dlg.btnCancel, Qt::LeftButton);
        });
        QCOMPARE(r, int(QDialog::Rejected));
        QCOMPARE(dlg.Value, 42);
    }

    void integerBounds_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("below") << "0" << false;
        QTest::newRow("above") << "101" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("lowest") << "1" << true;
        QTest::newRow("highest") << "100" << true;
        QTest::newRow("leading zeros") << "0050" << true;
        QTest::newRow("eight digits") << "99999999" << false;
    }

    void integerBounds()
    {
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        MessageBoxRecorder boxes;
        TfrmInputInteger dlg;
        dlg.Title = "Message Timeout";
        dlg.MinValue = 1;
        dlg.MaxValue = 100;
        dlg.Value = 7;
        bool stayedOpen = false;
        const int r = ExecWith(&dlg, [&] {
            dlg.txtValue->clear();
            QTest::keyClicks(dlg.txtValue, typed);
            QTest::mouseClick(dlg.btnOk, Qt::LeftButton);
            stayedOpen = dlg.isVisible();
        });
        if (accepted) {
            QCOMPARE(r, int(QDialog::Accepted));
            QCOMPARE(dlg.Value, typed.toInt());
            QVERIFY(boxes.Shown().empty());
        } else {
            QVERIFY(stayedOpen);
            QCOMPARE(dlg.Value, 7);
            QCOMPARE(boxes.Shown().size(), size_t(1));
            QCOMPARE(boxes.Shown()[0].Text,
                     std::string("Not a valid value.\r\nPlease enter a value between 1 and 100."));
            QVERIFY(boxes.Shown()[0].Kind == MsgKind::Error);
            QCOMPARE(boxes.Shown()[0].Buttons, int(mbOK));
        }
    }

    void integerMessageCarriesNegativeBounds()
    {
        MessageBoxRecorder boxes;
        TfrmInputInteger dlg;
        dlg.Title = "Offset";
        dlg.MinValue = -5;
        dlg.MaxValue = 5;
        dlg.Value = -3;
        ExecWith(&dlg, [&] {
            QCOMPARE(dlg.txtValue->text(), QStringLiteral("-3"));
            dlg.txtValue->setText(QStringLiteral("6"));
            dlg.btnOk->click();
            QVERIFY(dlg.isVisible());
            dlg.txtValue->setText(QStringLiteral("-3"));
            dlg.btnOk->click();
        });
        QCOMPARE(boxes.Texts(),
                 std::vector<std::string>{"Not a valid value.\r\nPlease enter a value between -5 and 5."});
        QCOMPARE(dlg.Value, -3);
    }

    void integerKeyFilter()
    {
        TfrmInputInteger dlg;
        dlg.Title = "Value";
        dlg.MinValue = 0;
        dlg.MaxValue = 1000;
        dlg.Value = 12;
        const int r = ExecWith(&dlg, [&] {
            dlg.txtValue->end(false);
            QTest::keyClicks(dlg.txtValue, QStringLiteral("-+.,aZ e"));
            QTest::keyClick(dlg.txtValue, Qt::Key_Minus, Qt::KeypadModifier);
            QTest::keyClick(dlg.txtValue, Qt::Key_A, Qt::ShiftModifier);
            QCOMPARE(dlg.txtValue->text(), QStringLiteral("12"));
            QTest::keyClick(dlg.txtValue, Qt::Key_Backspace);
            QCOMPARE(dlg.txtValue->text(), QStringLiteral("1"));
            QTest::keyClicks(dlg.txtValue, QStringLiteral("7x3"));
            QCOMPARE(dlg.txtValue->text(), QStringLiteral("173"));
            QTest::keyClick(dlg.txtValue, Qt::Key_Return);   // Enter still presses OK
        });
        QCOMPARE(r, int(QDialog::Accepted));
        QCOMPARE(dlg.Value, 173);
        QVERIFY(TfrmInputInteger::txtValueKeyPress(QChar(8)));
        QVERIFY(TfrmInputInteger::txtValueKeyPress(QLatin1Char('0')));
        QVERIFY(!TfrmInputInteger::txtValueKeyPress(QLatin1Char('-')));
    }

    void integerPastedTextReportsConversionError()
    {
        MessageBoxRecorder boxes;
        TfrmInputInteger dlg;
        dlg.Title = "Value";
        dlg.MinValue = 0;
        dlg.MaxValue = 10;
        dlg.Value = 5;
        bool stayedOpen = false;
        ExecWith(&dlg, [&] {
            dlg.txtValue->setText(QStringLiteral("4x"));   // as a paste would leave it
            dlg.btnOk->click();
            stayedOpen = dlg.isVisible();
        });
        QVERIFY(stayedOpen);
        QCOMPARE(dlg.Value, 5);
        QCOMPARE(boxes.Shown().size(), size_t(1));
        QVERIFY(boxes.Shown()[0].Kind == MsgKind::Error);
        QVERIFY(boxes.Shown()[0].Text.find("4x") != std::string::npos);
    }

    // ---- wait banner ----------------------------------------------------------------------

    void bannerWindow()
    {
        TInfoMessage banner;
        QCOMPARE(banner.windowTitle(), QStringLiteral("Information"));
        QVERIFY(banner.windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!(banner.windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(!(banner.windowFlags() & Qt::WindowSystemMenuHint));
        QVERIFY(!(banner.windowFlags() & Qt::WindowMinMaxButtonsHint));
        QCOMPARE(banner.size(), QSize(320, 50));
        QVERIFY(FixedSize(&banner));
        QVERIFY(banner.lblInfo);
    }

    void bannerShownWithoutModality()
    {
        TInfoMessage banner;
        banner.Msg = "Connecting...";
        banner.show();
        // Visible with its text before the caller blocks: no event has been processed yet.
        QVERIFY(banner.isVisible());
        QCOMPARE(banner.lblInfo->text(), QStringLiteral("Connecting..."));
        QVERIFY(CentredOnScreen(&banner));
        banner.close();
        QVERIFY(!banner.isVisible());
        banner.Msg = "Searching Remote Device...";
        banner.show();
        QCOMPARE(banner.lblInfo->text(), QStringLiteral("Searching Remote Device..."));
        banner.close();
    }

    void bannerShownModallyClosedByTimer()
    {
        TInfoMessage banner;
        banner.Msg = "Getting Data from Devices in Network...";
        QString seen;
        bool modal = false;
        QTimer::singleShot(100, &banner, [&] {
            seen = banner.lblInfo->text();
            modal = QApplication::activeModalWidget() == &banner;
            banner.close();
        });
        banner.exec();
        QCOMPARE(seen, QStringLiteral("Getting Data from Devices in Network..."));
        QVERIFY(modal);
        QVERIFY(!banner.isVisible());

        // The same banner again, closed by hide() this time.
        banner.Msg = "Setting Device Data...";
        QTimer::singleShot(50, &banner, [&] {
            seen = banner.lblInfo->text();
            banner.hide();
        });
        banner.exec();
        QCOMPARE(seen, QStringLiteral("Setting Device Data..."));

        // And by done(), as the device locator's timer ends its wait.
        QTimer::singleShot(50, &banner, [&] { banner.done(QDialog::Accepted); });
        QCOMPARE(banner.exec(), int(QDialog::Accepted));
        QVERIFY(!banner.isVisible());
    }

    void bannerCannotBeClosedByTheUser()
    {
        TInfoMessage banner;
        banner.Msg = "Connecting...";
        banner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&banner));
        QTest::keyClick(&banner, Qt::Key_Escape);
        QVERIFY(banner.isVisible());
        // The window manager's close request arrives as a spontaneous close event: refused.
        QCloseEvent request;
        QSpontaneKeyEvent::setSpontaneous(&request);
        static_cast<QObject *>(&banner)->event(&request);
        QVERIFY(!request.isAccepted());
        QVERIFY(banner.isVisible());
        banner.close();
        QVERIFY(!banner.isVisible());
    }

    // ---- about box ------------------------------------------------------------------------

    void aboutTexts()
    {
        TfrmAbout dlg;
        QCOMPARE(dlg.windowTitle(), QStringLiteral("About Velto Configuration Manager"));
        QCOMPARE(dlg.lblVelto->text(), QStringLiteral("Velto"));
        QCOMPARE(dlg.lblConfiguration->text(), QStringLiteral("Configuration"));
        QCOMPARE(dlg.lblManager->text(), QStringLiteral("Manager"));
        for (QLabel *l : {dlg.lblVelto, dlg.lblConfiguration, dlg.lblManager}) QVERIFY(l->font().bold());
        QCOMPARE(dlg.lblCompany->text(), QStringLiteral("Porlin"));
        QCOMPARE(dlg.lblVersion->text(), QStringLiteral("Version 3.0.4"));
        QCOMPARE(dlg.lblTrademarks->text(),
                 QStringLiteral("Other brands and product names are trademarks of their respective holders."));
        QCOMPARE(dlg.lblSNMP->text(), QStringLiteral("Only for Velto-SN"));
        QCOMPARE(dlg.lblSNMP->palette().color(QPalette::WindowText), QColor(Qt::red));
        QVERIFY(dlg.lblSNMP->isHidden());
        QCOMPARE(dlg.lblWinVersion->text(), QStringLiteral("Windows Version"));
        QCOMPARE(dlg.lblWinBuild->text(), QStringLiteral("Windows Build"));
        QCOMPARE(dlg.btnOk->text(), QStringLiteral("OK"));
        QVERIFY(dlg.btnOk->isDefault());
        QVERIFY(OnlySystemMenu(&dlg));
        // The picture is the resource's, once the program carries it.
        QCOMPARE(dlg.imgAbout->pixmap().isNull(), !QFile::exists(QStringLiteral(":/images/about.jpg")));
        QCOMPARE(frmAbout, nullptr);
    }

    void aboutShowFillsOsLines()
    {
        TfrmAbout dlg;
        dlg.lblSNMP->setVisible(true);   // as the Tools/About command does
        OsVersionInfo os;
        QVERIFY(GetOsVersion(os));
        const int r = ExecWith(&dlg, [&] {
            QVERIFY(dlg.lblSNMP->isVisible());
            QVERIFY(CentredOnScreen(&dlg));
            QVERIFY(FixedSize(&dlg));
            QVERIFY(dlg.imgAbout->x() < dlg.lblVelto->x());   // the picture on the left
            QCOMPARE(dlg.lblWinVersion->text(), QString::fromStdString(WinVersionLine(os.PlatformId, os.Major, os.Minor)));
            QCOMPARE(dlg.lblWinBuild->text(), QString::fromStdString(WinBuildLine(os)));
            QTest::mouseClick(dlg.btnOk, Qt::LeftButton);
        });
        QCOMPARE(r, int(QDialog::Accepted));
        QCOMPARE(os.PlatformId, kPlatformOther);
        if (os.Major > 5) QCOMPARE(dlg.lblWinVersion->text(), QStringLiteral("Windows Unknown"));
        QVERIFY(dlg.lblWinBuild->text().startsWith(QStringLiteral("Build %1 ").arg(os.BuildNumber)));
    }

    void aboutEscapeClosesWithOk()
    {
        TfrmAbout dlg;
        const int r = ExecWith(&dlg, [&] { QTest::keyClick(&dlg, Qt::Key_Escape); });
        QCOMPARE(r, int(QDialog::Accepted));
    }

    void windowsVersionTable_data()
    {
        QTest::addColumn<uint>("platform");
        QTest::addColumn<uint>("major");
        QTest::addColumn<uint>("minor");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("line");
        QTest::newRow("9x 4.10") << 1u << 4u << 10u << 2 << "Windows 98";
        QTest::newRow("9x 4.90") << 1u << 4u << 90u << 2 << "Windows 98";
        QTest::newRow("9x 5.0") << 1u << 5u << 0u << 2 << "Windows 98";
        QTest::newRow("9x 4.0") << 1u << 4u << 0u << 1 << "Windows 95";
        QTest::newRow("9x 3.95") << 1u << 3u << 95u << 1 << "Windows 95";
        QTest::newRow("other 3.51") << 2u << 3u << 51u << 3 << "Windows NT";
        QTest::newRow("other 4.0") << 2u << 4u << 0u << 3 << "Windows NT";
        QTest::newRow("other 5.0") << 2u << 5u << 0u << 4 << "Windows 2000";
        QTest::newRow("other 5.1") << 2u << 5u << 1u << 4 << "Windows 2000";
        QTest::newRow("other 6.0") << 2u << 6u << 0u << 0 << "Windows Unknown";
        QTest::newRow("other 10.0") << 2u << 10u << 0u << 0 << "Windows Unknown";
        QTest::newRow("platform 0, 6.1") << 0u << 6u << 1u << 0 << "Windows Unknown";
    }

    void windowsVersionTable()
    {
        QFETCH(uint, platform);
        QFETCH(uint, major);
        QFETCH(uint, minor);
        QFETCH(int, code);
        QFETCH(QString, line);
        QCOMPARE(WinVersionCode(platform, major, minor), code);
        QCOMPARE(QString::fromStdString(WinVersionLine(platform, major, minor)), line);
    }

    void kernelReleaseParsing_data()
    {
        QTest::addColumn<QString>("release");
        QTest::addColumn<uint>("major");
        QTest::addColumn<uint>("minor");
        QTest::addColumn<uint>("build");
        QTest::addColumn<QString>("rest");
        QTest::newRow("debian") << "6.1.0-13-amd64" << 6u << 1u << 0u << "-13-amd64";
        QTest::newRow("ubuntu") << "5.15.0-91-generic" << 5u << 15u << 0u << "-91-generic";
        QTest::newRow("four parts") << "5.15.133.1-microsoft-standard-WSL2" << 5u << 15u << 133u
                                    << ".1-microsoft-standard-WSL2";
        QTest::newRow("plain") << "4.19.289" << 4u << 19u << 289u << "";
        QTest::newRow("two parts") << "6.8" << 6u << 8u << 0u << "";
        QTest::newRow("suffix after two") << "6.8-rc1" << 6u << 8u << 0u << "-rc1";
        QTest::newRow("huge build") << "6.1.99999999999" << 6u << 1u << 4294967295u << "";
    }

    void kernelReleaseParsing()
    {
        QFETCH(QString, release);
        QFETCH(uint, major);
        QFETCH(uint, minor);
        QFETCH(uint, build);
        QFETCH(QString, rest);
        OsVersionInfo info;
        QVERIFY(ParseKernelRelease(release.toStdString(), info));
        QCOMPARE(info.PlatformId, kPlatformOther);
        QCOMPARE(info.Major, major);
        QCOMPARE(info.Minor, minor);
        QCOMPARE(info.BuildNumber, build);
        QCOMPARE(QString::fromStdString(info.ServicePack), rest);
    }

    void kernelReleaseRefused()
    {
        OsVersionInfo info;
        info.Major = 77;
        QVERIFY(!ParseKernelRelease("", info));
        QVERIFY(!ParseKernelRelease("linux", info));
        QCOMPARE(info.Major, 77u);   // left as it was
    }

    void buildLine()
    {
        OsVersionInfo info;
        QVERIFY(ParseKernelRelease("6.1.0-13-amd64", info));
        QCOMPARE(WinBuildLine(info), std::string("Build 0 -13-amd64"));
        QCOMPARE(WinVersionLine(info.PlatformId, info.Major, info.Minor), std::string("Windows Unknown"));
        QVERIFY(ParseKernelRelease("4.19.289", info));
        QCOMPARE(WinBuildLine(info), std::string("Build 289 "));
        QCOMPARE(WinVersionLine(info.PlatformId, info.Major, info.Minor), std::string("Windows NT"));
    }
};

QTEST_MAIN(TestSmallDialogs)
#include "test_smalldialogs.moc"
