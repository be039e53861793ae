#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TfrmInfomation;
}

// The data-information dialog: read-only facts about the current address-list file. The
// main window fills it before every showing; fields it does not fill keep their text.
class TfrmInfomation : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmInfomation(QWidget* parent = nullptr);
    ~TfrmInfomation() override;

    void setAddressList(bool looksLikeOne);
    void setRecordCount(int records);
    void setSheetCount(int sheets);
    void setFileSize(qint64 bytes);
    // The path shortened to the field's width, the full path as its hint.
    void setFileName(const QString& path);
    void setLastWrite(const QString& text);
    // No data file: every file fact emptied, the time given instead.
    void clearFile(const QString& lastWrite);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showFileName();

    std::unique_ptr<Ui::TfrmInfomation> ui;
    QString m_fileName;
};
