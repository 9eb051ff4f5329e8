// The start-up picture, shown while the program creates its windows.
#pragma once

#include <QWidget>

class QLabel;

namespace vxt {

class TfrmSplash : public QWidget {
    Q_OBJECT
public:
    explicit TfrmSplash(QWidget *parent = nullptr);
    void FormCreate();
    QLabel *imgSplash;
};

}  // namespace vxt
