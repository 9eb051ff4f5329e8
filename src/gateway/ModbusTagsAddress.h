// The register address edit of the Modbus tag editor: the register table's prefix digit stands as a
// fixed literal in front of five optional positions that each take a digit or a sign (as many as a
// longer value set from code holds, so that it shows whole).
#pragma once

#include <QLineEdit>
#include <string>

namespace vxt {

class TMaskedAddressEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TMaskedAddressEdit(QWidget *parent = nullptr);

    // Changes the literal in front; what was typed after it stays.
    void SetPrefix(char prefix);
    char Prefix() const { return prefix_; }
    // What was typed after the prefix, without its trailing blanks.
    std::string Typed() const;
    // Replaces what follows the prefix; the cursor goes behind it, ready for more digits.
    void SetTyped(const std::string &digits);

private:
    char prefix_ = '4';
};

}  // namespace vxt
