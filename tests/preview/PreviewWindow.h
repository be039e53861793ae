#pragma once

#include "ScriptedPrompter.h"
#include "layout/LayoutTable.h"
#include "preview/TfrmPreView.h"
#include "ui_TfrmPreView.h"

#include <QLineEdit>
#include <QTest>

// A preview window shown offscreen on a layout table of its own, its questions answered by a
// scripted prompter.
struct PreviewWindow
{
    LayoutTable layouts;
    ScriptedPrompter prompter;
    TfrmPreView window{&layouts, &prompter};
    Ui::TfrmPreView& ui = window.form();

    PreviewWindow()
    {
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }

    // Types a zoom into the zoom box and presses Enter, as a user does.
    void setZoom(const QString& text)
    {
        QLineEdit* box = ui.ComboBox1->lineEdit();
        box->selectAll();
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
    }
};
