#!/usr/bin/env python3
"""Plants lines in a scratch source folder and runs source_rules.cmake on it: every way of connecting a
command past ConnectCommand is caught, naming the line; the ways the program uses pass.
Usage: source_rules_test.py <cmake> <source_rules.cmake>"""
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

CMAKE, RULES = sys.argv[1], sys.argv[2]

CAUGHT = [
    ('string signal', 'connect(btnGo, SIGNAL(clicked()), this, SLOT(Go()));'),
    ('string action', 'QObject::connect(act, SIGNAL(triggered(bool)), this, SLOT(Go()));'),
    ('own button class', 'connect(btnOk, &TButton::clicked, this, &TForm::btnOkClick);'),
    ('qualified button', 'QObject::connect(btnOk, &QAbstractButton::clicked, this, &TForm::Go);'),
    ('action', 'connect(act, &QAction::triggered, this, &TForm::Go);'),
    ('menu action with slot', 'menu->addAction(tr("Go"), this, &TForm::Go);'),
    ('menu action with functor', 'menu->addAction(QStringLiteral("Go"), [this] { Go(); });'),
    ('timer', 'connect(tmrScan, &QTimer::timeout, this, &TForm::Tick);'),
    ('double-click', 'connect(lstTags, &QAbstractItemView::doubleClicked, this, &TForm::Open);'),
    ('cell double-click', 'connect(lstTags, &QTableWidget::cellDoubleClicked, this, &TForm::Open);'),
    ('dialog buttons', 'connect(buttons, &QDialogButtonBox::accepted, this, &TForm::btnOkClick);'),
    ('dialog buttons reject', 'connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);'),
    ('return key', 'connect(txtName, &QLineEdit::returnPressed, this, &TForm::Go);'),
    ('signal in a variable', 'auto signal = &QPushButton::clicked;\nconnect(btnGo, signal, this, &TForm::Go);'),
    ('over lines', 'connect(btnGo,\n        &QPushButton\n        ::clicked,\n        this, &TForm::Go);'),
    ('max length', 'txtName->setMaxLength(16);'),
    ('plain application', 'QApplication app(argc, argv);'),
]

ALLOWED = [
    ('command button', 'ConnectCommand(btnOk, &QPushButton::clicked, this, &TForm::btnOkClick);'),
    ('command over lines', 'ConnectCommand(\n    btnOk,\n    &QPushButton::clicked, this, [this]() { Go(); });'),
    ('command timer', 'ConnectCommand(tmrScan, &QTimer::timeout, this, &TForm::Tick);'),
    ('command with call in sender', 'ConnectCommand(box->button(QDialogButtonBox::Ok), &QPushButton::clicked, this, &TForm::Go);'),
    ('disconnect', 'if (disconnect(act, SIGNAL(triggered()), edit, SLOT(paste())) ||\n'
                   '    disconnect(act, &QAction::triggered, edit, &QLineEdit::paste))\n'
                   '    ConnectCommand(act, &QAction::triggered, this, [this]() { Paste(); });'),
    ('action by text', 'QAction *a = mnuWindow->addAction(QStringLiteral("&%1 %2").arg(n).arg(w->windowTitle()));'),
    ('existing action', 'file->addAction(FileNew);'),
    ('other signals', 'connect(chkAuth, &QCheckBox::toggled, this, &TForm::AuthClick);'),
    ('a slot named alike', 'ConnectCommand(entry, &QAction::triggered, act, &QAction::trigger);'),
]


def run_rules(text):
    with tempfile.TemporaryDirectory() as d:
        Path(d, 'Planted.cpp').write_text('namespace vxt {\nvoid TForm::Build()\n{\n' + text + '\n}\n}\n')
        r = subprocess.run([CMAKE, '-DSRC=' + d, '-P', RULES], capture_output=True, text=True)
        return r.returncode, r.stdout + r.stderr


class SourceRules(unittest.TestCase):
    def test_caught(self):
        for name, text in CAUGHT:
            with self.subTest(name):
                rc, out = run_rules(text)
                self.assertNotEqual(rc, 0, out)
                self.assertIn('Planted.cpp', out)

    def test_allowed(self):
        for name, text in ALLOWED:
            with self.subTest(name):
                rc, out = run_rules(text)
                self.assertEqual(rc, 0, out)


if __name__ == '__main__':
    unittest.main(argv=sys.argv[:1], verbosity=1)
