// The key filters of the number boxes: a key press that types a printable character the box does
// not take is dropped; keys that type nothing printable (arrows, Delete, Enter, Escape) and
// shortcuts always pass.
#pragma once

#include <QChar>
#include <functional>

class QKeyEvent;

namespace vxt {

// True when `key` types a printable character that `allowed` refuses.
bool KeyRefused(const QKeyEvent *key, const std::function<bool(QChar)> &allowed);

}  // namespace vxt
