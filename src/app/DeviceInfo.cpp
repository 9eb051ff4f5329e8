#include "DeviceInfo.h"

#include "QtStr.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

namespace vxt {

QGroupBox *TDeviceLabels::NewDeviceGroup(const char *objectName, int columns)
{
    auto *group = new QGroupBox(QStringLiteral("Device Information"));
    group->setObjectName(QString::fromLatin1(objectName));
    const std::pair<const char *, QLabel **> fields[] = {
        {"Device", &stDevice},       {"Host name", &stHostname},   {"MAC Address", &stMACAddress},
        {"Firmware", &stFirmware},   {"IP Address", &stIPAddress}, {"Remote IP", &stRemoteIP}};
    const char *names[] = {"stDevice", "stHostname", "stMACAddress", "stFirmware", "stIPAddress", "stRemoteIP"};
    auto *grid = new QGridLayout(group);
    grid->setContentsMargins(8, 2, 8, 6);
    grid->setVerticalSpacing(3);
    for (int i = 0; i < 6; ++i) {
        auto *box = new QLabel;
        box->setObjectName(QString::fromLatin1(names[i]));
        box->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        box->setAlignment(Qt::AlignCenter);
        box->setTextInteractionFlags(Qt::TextSelectableByMouse);
        // One column gets the room of two.
        box->setMinimumWidth(columns == 1 ? 190 : 130);
        *fields[i].second = box;
        grid->addWidget(new QLabel(QString::fromLatin1(fields[i].first)), i / columns, (i % columns) * 2);
        grid->addWidget(box, i / columns, (i % columns) * 2 + 1);
        grid->setColumnStretch((i % columns) * 2 + 1, 1);
    }
    return group;
}

void TDeviceLabels::ShowDevice(const TDeviceData &device) const
{
    stDevice->setText(QStr(device.Device));
    stHostname->setText(QStr(device.Hostname));
    stMACAddress->setText(QStr(device.MAC));
    stFirmware->setText(QStr(device.Version));
    stIPAddress->setText(QStr(device.IP));
    stRemoteIP->setText(QStr(device.RemoteIP));
}

}  // namespace vxt
