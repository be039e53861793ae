// The layout-file load over any bytes, through the preview window's own load into its own
// face (offscreen, never shown): the stream, every kind of property the face and its fields
// carry (colours, enumerations, sets, pictures, integers, fonts, strings), the checks, the
// store into the layout, and then a drag of each field. What the face holds after a load
// writes out as a stream that reads back into it.
#include "common/Prompter.h"
#include "controls/TShadowPanel.h"
#include "layout/LayoutTable.h"
#include "layout/TObjStreamV.h"
#include "preview/TfrmPreView.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>

namespace {

class SilentPrompter : public Prompter
{
public:
    void showMessage(const QString&) override {}
    void showError(const QString& text) override
    {
        if (text.isEmpty()) // every refusal has its message
            std::abort();
    }
    bool confirm(const QString&, const QString&) override { return false; }
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&, const QString&) override
    {
        return {};
    }
};

struct Session
{
    LayoutTable layouts;
    SilentPrompter prompter;
    TfrmPreView window{&layouts, &prompter};
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("fuzzTT.tyd"));
    std::optional<TObjStreamV::Reading> startFace; // the TT face as made, put back each time
};

Session* session = nullptr;

} // namespace

// Fontconfig keeps what it parses of its configuration for the life of the process.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\n";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The image decoders report every damaged picture: thousands of lines a second.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static QApplication app(*argc, *argv);
    session = new Session;
    TShadowPanel* face = session->window.face(LayoutKind::TT);
    session->startFace = TObjStreamV::prepare(TObjStreamV::write(face), face);
    if (!session->startFace)
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Session& s = *session;
    {
        QFile f(s.file);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    TShadowPanel* face = s.window.face(LayoutKind::TT);
    s.layouts.setDefaults();
    s.startFace->apply();

    if (!s.window.LoadLayoutFile(s.file))
        return 0;
    // A drag of each field stores into that field's record.
    for (int item = 0; item < LayoutItemCount; ++item) {
        s.window.editField(s.window.field(item, int(LayoutKind::TT)), false);
        s.window.StretchHandle1Moved();
    }
    s.window.ReleaseSelection(false);
    if (!TObjStreamV::prepare(TObjStreamV::write(face), face))
        std::abort();
    return 0;
}
