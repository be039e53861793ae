#pragma once

#include <QDialog>

#include <memory>
#include <utility>
#include <vector>

class QCheckBox;
struct SessionOptions;

namespace Ui {
class TfrmOption;
}

// The options dialog. Its "read directly" boxes are the session's options themselves: a
// click writes through at once, so Cancel keeps it. The mirrors, the honorifics and the name
// spacing are the main window's business on OK.
class TfrmOption : public QDialog
{
    Q_OBJECT
public:
    // The boxes that copy a setting of the main window (or the preview) before showing and
    // copy it back on OK.
    struct Mirrors
    {
        bool readLastFile = false;      // chkReadLastFile: menu R1
        bool tategakiFirst = false;     // chkTategkiFirst: rdoTateOki
        bool autoUpdatePreview = false; // chkAutoUpdateOfPreviewData: the preview's chkAutoUpdate
        bool noSetPaper = false;        // chkNoTatchSetPaperMode: menu P2
    };

    // `options` must outlive the dialog.
    explicit TfrmOption(SessionOptions* options, QWidget* parent = nullptr);
    ~TfrmOption() override;

    // Shows the options as they are now (the settings file may have changed them), the
    // honorifics and the name spacing included.
    void loadOptions();

    Mirrors mirrors() const;
    void setMirrors(const Mirrors& mirrors);

    // What OK installs: U+0020 for 半角, U+3000 for 全角, and the two honorific fields.
    QString nameSpacingText() const;
    QString honorific1() const;
    QString honorific2() const;

private:
    // Each box that composition, printing and the settings file read, with its option.
    std::vector<std::pair<QCheckBox*, bool*>> readDirectlyBoxes() const;

    std::unique_ptr<Ui::TfrmOption> ui;
    SessionOptions* m_options;
};
