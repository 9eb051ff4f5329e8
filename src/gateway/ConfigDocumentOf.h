// The typed half of a configuration document: the family's tag record in the list, its whole
// record for the transfer dialog, its tag editor. `Traits` names the family's record types, its
// row codec, its editor and its transfer dialog.
#pragma once

#include "ConfigDocument.h"

#include <QDialog>
#include <algorithm>

namespace vxt {

template <typename Traits>
class TMDIConfigOf : public TMDIGatewayConfig {
public:
    using Tag = typename Traits::Tag;
    using Config = typename Traits::Config;

    explicit TMDIConfigOf(QWidget *parent) : TMDIGatewayConfig(Traits::Family(), parent) {}

    void AddTagToList(const Tag &tag) { AddRow(Traits::ToRow(tag)); }
    void ReplaceSelectedTag(const Tag &tag) { ReplaceSelectedRow(Traits::ToRow(tag)); }
    // Raises ETagRowError, naming the tag, when the row's texts do not convert.
    void GetTagFromList(int index, Tag &tag) const
    {
        if (index < 0 || index >= GetTagCount()) return;
        Traits::FromRow(RowTexts(index), tag);
    }

    void GetAllConfig(Config &c) const
    {
        Traits::SerialToConfig(SerialFromPage(), c);
        GetEmailConfig(c.Email, AuthAllowed());
        c.TagCount = std::min(GetTagCount(), kMaxTags);
        for (int i = 0; i < c.TagCount; ++i) {
            Tag t;
            GetTagFromList(i, t);
            c.Tags[size_t(i)] = t;
        }
    }

    void SetAllConfig(const Config &c)
    {
        SerialToPage(Traits::SerialOfConfig(c));
        SetEmailConfig(c.Email);
        ClearTags();
        for (int i = 0; i < std::clamp(c.TagCount, 0, kMaxTags); ++i) AddTagToList(c.Tags[size_t(i)]);
    }

    void LoadTagIntoEditor(int index) override
    {
        Tag t;
        GetTagFromList(index, t);
        if (Traits::Editor()) Traits::Editor()->Tag = t;
    }
    bool ShowTagEditor(int editMode) override
    {
        auto *editor = Traits::Editor();
        if (!editor) return false;
        editor->EditMode = uint8_t(editMode);
        return editor->exec() == QDialog::Accepted;
    }
    std::string EditorTagName() const override { return Traits::Editor() ? Traits::Editor()->Tag.Name : ""; }
    void AddEditorTagToList() override { AddTagToList(Traits::Editor()->Tag); }
    void ReplaceSelectedWithEditorTag() override { ReplaceSelectedTag(Traits::Editor()->Tag); }

protected:
    // Whether the record carries the page's SMTP authentication.
    virtual bool AuthAllowed() const { return true; }

    void PrepareSend() override { GetAllConfig(pending_); }

    void RunSend(const TDeviceData &device) override
    {
        auto *t = Traits::Transfer();
        t->SendMode = true;
        t->Device = device;
        t->Config = pending_;
        t->exec();
    }

    bool RunGet(const TDeviceData &device) override
    {
        auto *t = Traits::Transfer();
        t->SendMode = false;
        t->Device = device;
        t->exec();
        if (!t->Completed) return false;
        SetAllConfig(t->Config);
        return true;
    }

private:
    Config pending_;
};

}  // namespace vxt
