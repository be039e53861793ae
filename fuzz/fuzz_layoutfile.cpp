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
#include <cstring>
#include <optional>
#include <vector>

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

// libpng writes its errors straight to stderr, past Qt's message handler: libFuzzer is told to
// close the target's stderr (its own output and the sanitizers' reports go to a copy of it).
// Runs before libFuzzer reads its flags; a -close_fd_mask given on the command line stands.
static void closeTargetStderr(int* argc, char*** argv)
{
    static std::vector<char*> args;
    args.assign(*argv, *argv + *argc);
    for (const char* arg : args)
        if (std::strncmp(arg, "-close_fd_mask=", 15) == 0)
            return;
    static char flag[] = "-close_fd_mask=2";
    args.push_back(flag);
    args.push_back(nullptr);
    *argc = int(args.size()) - 1;
    *argv = args.data();
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    closeTargetStderr(argc, argv);
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
