// The workbook window on real pages: worksheets and web archives shown by the browser, links,
// Back and Forward, Copy and Print, the engine checks, and the splitter over the notes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include "RES/commands.h"
#include "app/main_frame.h"
#include "app/varnel_doc.h"
#include "experiment/html_doc_view.h"
#include "experiment/text_view.h"
#include "logger/dorvik.h"
#include "platform/activex/register.h"
#include "platform/base/mht_archive.h"
#include "platform/ui/shell.h"
#include "tests/support/harness.h"
#include "tests/support/user_commands.h"

namespace {

constexpr int kPatience = 30000;  // ms: the engine starts its processes on a loaded machine

void WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

// A 4 x 4 PNG of one colour.
QByteArray Png(QColor colour) {
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// The big box at the top left shows the page's colour; the link and the anchor lie below it.
QByteArray Page(const char* title, const char* colour, const char* links) {
    return QByteArray("<html><head><title>") + title +
           "</title></head><body style='margin:0'><div style='width:300px;height:150px;"
           "background:" +
           colour + "'></div>" + links +
           "<div style='height:2000px'></div><p id='part2'>end</p>"
           "</body></html>";
}

const char* const kLinks =
    "<a href='b%20c.htm' style='position:absolute;left:0;top:160px;width:150px;height:40px;"
    "display:block;font-size:30px'>next</a>"
    "<a href='#part2' style='position:absolute;left:200px;top:160px;width:150px;height:40px;"
    "display:block;font-size:30px'>down</a>"
    "<a href='http://example.invalid/x' style='position:absolute;left:400px;top:160px;"
    "width:150px;height:40px;display:block;font-size:30px'>web</a>";

class WorkbookTest : public testing_support::HarnessTest {
protected:
    CVarnelDoc doc;
    CMainFrame mainFlags;
    CMDIFrameWnd main;
    std::unique_ptr<CHtmlDocFrame> frame;
    CHtmlDocView* view = nullptr;
    CHtmlFormView* form = nullptr;
    QString folder;

    void SetUp() override {
        platform::RegisterActiveXControls();
        folder = env.File("Lessons").ToQString();
        QDir().mkpath(folder);
        ASSERT_TRUE(main.Create(nullptr, "Main", WS_OVERLAPPEDWINDOW, CRect(0, 0, 900, 700)));
        main.ShowWindow(SW_SHOW);
        doc.m_mainFrame = &mainFlags;
        MakeWindow();
    }
    void MakeWindow() {
        frame.reset();
        testing_support::ProcessQtEvents();
        CCreateContext context;
        context.m_pNewViewClass = RUNTIME_CLASS(CHtmlDocView);
        context.m_pCurrentDoc = &doc;
        frame = std::make_unique<CHtmlDocFrame>();
        ASSERT_TRUE(frame->LoadFrame(IDR_MAINFRAME, WS_CHILD | WS_VISIBLE, &main, &context));
        frame->MoveWindow(0, 0, 800, 600);
        frame->InitialUpdateFrame(&doc, TRUE);
        view = doc.m_htmlDocView;
        form = doc.m_htmlFormView;
        ASSERT_TRUE(view && form);
        testing_support::ProcessQtEvents();
    }
    void TearDown() override {
        platform::web::SetEngineFactsForTest(nullptr);
        platform::SetShellOpener(nullptr);
        frame.reset();
        testing_support::ProcessQtEvents();
    }

    QWebEngineView* Web() const { return form->m_browser.Browser()->View(); }
    QString Path(const char* name) const { return folder + "/" + name; }

    void Open(const QString& path) {
        modals.ExpectFileDialog(CString(path));
        ASSERT_TRUE(testing_support::PressToolbarButton(*frame, ID_WORKBOOK_OPEN_TB));
    }
    bool WaitFor(const std::function<bool()>& done) { return QTest::qWaitFor(done, kPatience); }
    bool WaitShown(const QString& title) {
        return WaitFor([&] { return Web() && Web()->title() == title && !Web()->isHidden(); });
    }
    // The pixel once the page has been painted in that colour.
    bool WaitColour(QPoint at, QColor colour) {
        return WaitFor([&] {
            const QImage image = Web()->grab().toImage();
            return image.valid(at) && QColor(image.pixel(at)) == colour;
        });
    }
    void Click(QPoint at) {
        QWidget* target = Web()->focusProxy() ? Web()->focusProxy() : Web();
        QTest::mouseClick(target, Qt::LeftButton, {}, at);
    }
};

TEST(WorkbookUrl, NavigatedAddressesBecomeWorksheetPaths) {
    const struct {
        const char* url;
        const char* path;
    } rows[] = {
        {"file:///home/u/My%20Work/page.html#part2", "/home/u/My Work/page.html"},
        {"file:///w/caf%C3%A9%23one.htm", "/w/caf\xC3\xA9#one.htm"},
        {"file:///w/Page.HTM", "/w/Page.HTM.htm"},
        {"file:///w/notes", "/w/notes.htm"},
        {"file:///w/a.mht#x", "/w/a.mht"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(CHtmlFormView::WorksheetPathOfUrl(row.url), CString(row.path)) << row.url;
}

TEST(WorkbookEngine, TheChecksSayWhyTheEngineCannotStart) {
    const CString present = QCoreApplication::applicationFilePath();
    const struct {
        bool root, sandboxOff;
        CString process;
        const char* starts;
    } rows[] = {
        {false, false, present, ""},
        {true, true, present, ""},
        {true, false, present, "Varnel runs as root"},
        {false, false, "/nowhere/QtWebEngineProcess", "The web engine's program"},
    };
    for (const auto& row : rows) {
        const CString problem =
            platform::web::EngineProblem({row.root, row.sandboxOff, row.process});
        EXPECT_TRUE(problem.str().starts_with(row.starts)) << problem;
        EXPECT_EQ(problem.IsEmpty(), *row.starts == 0);
    }
}

TEST(WebArchive, PartsAreDecodedAndLaidOutBesideTheArchive) {
    const QByteArray png = Png(Qt::blue);
    const QByteArray mht =
        "MIME-Version: 1.0\r\n"
        "Content-Type: multipart/related;\r\n\tboundary=\"----=_NextPart_01\";\r\n"
        "\ttype=\"text/html\"\r\n\r\n"
        "------=_NextPart_01\r\n"
        "Content-Location: file:///C:/Lessons/lesson.htm\r\n"
        "Content-Transfer-Encoding: quoted-printable\r\n"
        "Content-Type: text/html; charset=\"windows-1252\"\r\n\r\n"
        "<html><head><meta http-equiv=3DContent-Type content=3D\"text/html; "
        "charset=3Dwindows-12=\r\n"
        "52\"><title>Lesson</title></head><body><img src=3D\"lesson_files/image001.png\">=\r\n"
        "<img src=3D\"file:///C:/Lessons/lesson_files/image001.png\"> 25 =B0C <a "
        "href=3D\"a.htm\">a</a>"
        "</body></html>\r\n"
        "------=_NextPart_01\r\n"
        "Content-Location: file:///C:/Lessons/lesson_files/image001.png\r\n"
        "Content-Transfer-Encoding: base64\r\n"
        "Content-ID: <image001@01D0>\r\n"
        "Content-Type: image/png\r\n\r\n" +
        png.toBase64() +
        "\r\n"
        "------=_NextPart_01--\r\n";
    platform::mht::Archive archive;
    ASSERT_TRUE(platform::mht::Parse(mht, archive));
    ASSERT_EQ(archive.parts.size(), 2u);
    EXPECT_EQ(archive.mainIndex, 0);
    EXPECT_EQ(archive.parts[1].body, png);
    EXPECT_EQ(archive.parts[1].contentId, "image001@01D0");
    const auto served = platform::mht::Serve(archive, "/w/lesson.mht",
                                             [](const QString& p) { return "worksheet:" + p; });
    ASSERT_EQ(served.parts.size(), 1u);
    EXPECT_EQ(served.parts[0].path, "/w/lesson_files/image001.png");
    const QString html = QString::fromUtf8(served.html);
    EXPECT_TRUE(html.contains("<title>Lesson</title>")) << html.toStdString();
    EXPECT_TRUE(html.contains("src=\"worksheet:/w/lesson_files/image001.png\""))
        << html.toStdString();
    EXPECT_TRUE(html.contains("25 \u00B0C")) << html.toStdString();
    EXPECT_FALSE(html.contains("charset=windows"));

    // Saved from the web: absolute addresses, a part from another site kept apart.
    const QByteArray web =
        "Content-Type: multipart/related; boundary=\"B\"\n\n--B\n"
        "Content-Type: text/html\nContent-Location: http://site.example/a/page.html\n\n"
        "<img src=\"http://site.example/a/img/p.png\"><img src=\"http://cdn.example/q.png\">"
        "<a href=\"http://site.example/other.html\">o</a>\n--B\n"
        "Content-Type: image/png\nContent-Location: http://site.example/a/img/p.png\n"
        "Content-Transfer-Encoding: base64\n\n" +
        png.toBase64() +
        "\n--B\nContent-Type: image/png\nContent-Location: http://cdn.example/q.png\n"
        "Content-Transfer-Encoding: base64\n\n" +
        png.toBase64() + "\n--B--\n";
    ASSERT_TRUE(platform::mht::Parse(web, archive));
    const auto fromWeb = platform::mht::Serve(archive, "/w/saved.mht",
                                              [](const QString& p) { return "worksheet:" + p; });
    ASSERT_EQ(fromWeb.parts.size(), 2u);
    EXPECT_EQ(fromWeb.parts[0].path, "/w/img/p.png");
    EXPECT_EQ(fromWeb.parts[1].path, "/w/saved.mht_files/2/q.png");
    const QString webHtml = QString::fromUtf8(fromWeb.html);
    EXPECT_TRUE(webHtml.contains("worksheet:/w/img/p.png"));
    EXPECT_TRUE(webHtml.contains("worksheet:/w/saved.mht_files/2/q.png"));
    EXPECT_TRUE(webHtml.contains("http://site.example/other.html"));

    // Nothing else is an archive.
    for (const char* junk : {"", "<html></html>", "Content-Type: multipart/related\n\n--"})
        EXPECT_FALSE(platform::mht::Parse(junk, archive)) << junk;
}

// A stylesheet's addresses as a browser shows the saved page: relative ones against the sheet's
// own location when it has folders, else against the page's; absolute ones that name a part come
// from the archive, wherever that part was laid out.
TEST(WebArchive, AStylesheetsAddressesFindTheArchivesParts) {
    const auto archiveOf = [](const QByteArray& cssLocation, const QByteArray& css,
                              const std::vector<QByteArray>& pictures) {
        QByteArray mht =
            "Content-Type: multipart/related; boundary=\"B\"\n\n--B\n"
            "Content-Type: text/html\nContent-Location: http://site.example/a/page.html\n\n"
            "<link rel=stylesheet href=\"" +
            cssLocation + "\"><div class=box>box</div>\n--B\n" +
            "Content-Type: text/css\nContent-Location: " + cssLocation + "\n\n" + css + "\n";
        for (const QByteArray& at : pictures)
            mht += "--B\nContent-Type: image/png\nContent-Location: " + at + "\n\npng\n";
        return mht + "--B--\n";
    };
    struct Case {
        const char* what;
        QByteArray cssLocation, css;
        std::vector<QByteArray> pictures;
        QByteArray servedCss;
    };
    const Case cases[] = {
        {"a browser's cid: sheet: the page's folder",
         "cid:css-1@mhtml.blink",
         ".box { background: url(\"bg.png\") }",
         {"http://site.example/a/bg.png"},
         ".box { background: url(\"worksheet:/w/bg.png\") }"},
        {"a sheet in a folder of its own",
         "http://site.example/a/css/style.css",
         ".box { background: url(../img/x.png) }",
         {"http://site.example/a/img/x.png"},
         ".box { background: url(worksheet:/w/img/x.png) }"},
        {"a sheet of another folder, its picture laid out apart",
         "http://site.example/css/style.css",
         ".box{background:url('../img/x.png')}",
         {"http://site.example/img/x.png"},
         ".box{background:url('worksheet:/w/saved.mht_files/2/x.png')}"},
        {"absolute addresses and @import",
         "cid:css-2",
         "@import \"http://cdn.example/more.css\"; .b{background:url(http://cdn.example/q.png)}"
         " .c{background:url(data:image/png;base64,AAAA)} .d{background:url(#f)}",
         {"http://cdn.example/q.png"},
         "@import \"http://cdn.example/more.css\"; "
         ".b{background:url(worksheet:/w/saved.mht_files/2/q.png)}"
         " .c{background:url(data:image/png;base64,AAAA)} .d{background:url(#f)}"},
        {"a relative picture that is not in the archive",
         "cid:css-3",
         ".box { background: url(gone.png) }",
         {},
         ".box { background: url(worksheet:/w/gone.png) }"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        platform::mht::Archive archive;
        ASSERT_TRUE(platform::mht::Parse(archiveOf(c.cssLocation, c.css, c.pictures), archive));
        const auto served = platform::mht::Serve(archive, "/w/saved.mht",
                                                 [](const QString& p) { return "worksheet:" + p; });
        ASSERT_EQ(served.parts.size(), 1 + c.pictures.size());
        EXPECT_EQ(served.parts[0].body, c.servedCss);
        EXPECT_TRUE(served.html.contains("href=\"worksheet:" + served.parts[0].path.toUtf8()))
            << served.html.toStdString();
    }
}

TEST_F(WorkbookTest, AWorksheetShowsItsLinksAndBackWork) {
    WriteFile(Path("a.htm"), Page("Page A", "#ff0000", kLinks));
    WriteFile(Path("b c.htm"), Page("Page B", "#00ff00", ""));
    WriteFile(Path("b c.hdr"), "launch");
    Open(Path("a.htm"));
    ASSERT_TRUE(WaitShown("Page A"));
    ASSERT_TRUE(WaitColour({50, 50}, QColor(255, 0, 0)));
    EXPECT_EQ(view->m_worksheetPath, CString(Path("a.htm")));
    EXPECT_EQ(form->m_worksheetPath, CString(Path("a.htm")));
    EXPECT_TRUE(mainFlags.m_launchSettingsAvailable);
    EXPECT_TRUE(frame->m_worksheetPrintable);
    EXPECT_FALSE(frame->m_launchAvailable);
    EXPECT_FALSE(form->m_backEnabled);

    Click({60, 180});
    ASSERT_TRUE(WaitShown("Page B"));
    ASSERT_TRUE(WaitFor([&] { return view->m_worksheetPath == CString(Path("b c.htm")); }));
    EXPECT_TRUE(frame->m_launchAvailable);
    EXPECT_TRUE(mainFlags.m_launchAvailable);
    EXPECT_EQ(view->m_launchPath, CString(Path("b c.hdr")));
    ASSERT_TRUE(WaitFor([&] { return form->m_backEnabled != 0; }));
    EXPECT_FALSE(form->m_forwardEnabled);

    form->OnBack();
    ASSERT_TRUE(WaitShown("Page A"));
    ASSERT_TRUE(WaitFor([&] { return view->m_worksheetPath == CString(Path("a.htm")); }));
    EXPECT_FALSE(frame->m_launchAvailable);
    ASSERT_TRUE(WaitFor([&] { return form->m_forwardEnabled != 0; }));
    form->OnForward();
    ASSERT_TRUE(WaitShown("Page B"));
    form->OnBack();
    ASSERT_TRUE(WaitShown("Page A"));
    ASSERT_TRUE(WaitColour({50, 50}, QColor(255, 0, 0)));

    // The anchor: the same worksheet, the fragment in the location only.
    Click({260, 180});
    ASSERT_TRUE(
        WaitFor([&] { return form->m_browser.GetLocationURL().str().ends_with("#part2"); }));
    EXPECT_EQ(view->m_worksheetPath, CString(Path("a.htm")));

    // A link off the machine goes to the desktop; the pane stays.
    std::vector<QUrl> opened;
    platform::SetShellOpener([&](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    Web()->page()->runJavaScript("window.scrollTo(0, 0)");
    ASSERT_TRUE(WaitColour({50, 50}, QColor(255, 0, 0)));
    Click({460, 180});
    ASSERT_TRUE(WaitFor([&] { return !opened.empty(); }));
    EXPECT_EQ(opened[0].toString(), "http://example.invalid/x");
    EXPECT_EQ(Web()->title(), "Page A");
    EXPECT_EQ(view->m_worksheetPath, CString(Path("a.htm")));
    testing_support::SaveTestImage(frame->GetWidget()->grab().toImage(), "workbook_page");

    // For a person: the same with the notes shown.
    ASSERT_TRUE(testing_support::PressToolbarButton(*frame, ID_WORKBOOK_SPLIT_TB));
    view->GetNotesEdit()->SetWindowText("The red box is 300 pixels wide.\r\nNext: page B.");
    ASSERT_TRUE(WaitColour({50, 50}, QColor(255, 0, 0)));
    testing_support::SaveTestImage(frame->GetWidget()->grab().toImage(), "workbook_notes");
}

TEST_F(WorkbookTest, AMissingEngineProgramIsToldInTheProcessThatFindsIt) {
    // The engine reads the variable once, when it starts: a process of its own sees it.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    WriteFile(Path("a.htm"), Page("Page A", "#ff0000", ""));
    EXPECT_EXIT(
        {
            qputenv("QTWEBENGINEPROCESS_PATH", "/nowhere/QtWebEngineProcess");
            Open(Path("a.htm"));
            const bool told = form->m_browser.Browser()->PaneMessage().str().find(
                                  "QtWebEngineProcess is not installed") != std::string::npos;
            std::_Exit(told && view->m_worksheetPath == CString(Path("a.htm")) ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST_F(WorkbookTest, AWebArchiveShowsItsPictureAndItsLinkOpensTheFileBesideIt) {
    const QByteArray html =
        "<html><head><title>Archive 25 =B0C</title></head><body style=3D'margin:0'>"
        "<img src=3D\"lesson_files/image001.png\" style=3D'width:200px;height:100px'>"
        "<img src=3D\"cid:pic2@x\" style=3D'width:200px;height:100px'>=\r\n"
        "<a href=3D\"file:///C:/Lessons/a.htm\" style=3D'display:block;font-size:30px'>next</a>"
        "</body></html>";
    const QByteArray mht =
        "Content-Type: multipart/related; boundary=\"XX\"\r\n\r\n--XX\r\n"
        "Content-Location: file:///C:/Lessons/lesson.htm\r\n"
        "Content-Transfer-Encoding: quoted-printable\r\n"
        "Content-Type: text/html; charset=windows-1252\r\n\r\n" +
        html +
        "\r\n--XX\r\nContent-Location: file:///C:/Lessons/lesson_files/image001.png\r\n"
        "Content-Transfer-Encoding: base64\r\nContent-Type: image/png\r\n\r\n" +
        Png(Qt::blue).toBase64() +
        "\r\n--XX\r\nContent-ID: <pic2@x>\r\nContent-Transfer-Encoding: base64\r\n"
        "Content-Type: image/png\r\n\r\n" +
        Png(Qt::green).toBase64() + "\r\n--XX--\r\n";
    WriteFile(Path("lesson.mht"), mht);
    WriteFile(Path("a.htm"), Page("Page A", "#ff0000", ""));
    Open(Path("lesson.mht"));
    ASSERT_TRUE(WaitShown(QString::fromUtf8("Archive 25 \u00B0C")));
    ASSERT_TRUE(WaitColour({50, 50}, QColor(0, 0, 255)));
    ASSERT_TRUE(WaitColour({250, 50}, QColor(0, 255, 0)));
    EXPECT_EQ(view->m_worksheetPath, CString(Path("lesson.mht")));
    Click({30, 120});
    ASSERT_TRUE(WaitShown("Page A"));
    ASSERT_TRUE(WaitFor([&] { return view->m_worksheetPath == CString(Path("a.htm")); }));
}

TEST_F(WorkbookTest, ABrowsersArchiveShowsItsStylesheetsBackground) {
    // A page a web browser saved: its style is a cid: part, its pictures lie beside the page.
    ASSERT_TRUE(QFile::copy(VARNEL_TEST_DATA "/browser-snapshot.mht", Path("pendel.mht")));
    Open(Path("pendel.mht"));
    ASSERT_TRUE(WaitShown(QString::fromUtf8("Pendel \u2013 Arbeitsblatt")));
    // The box moves down as the pictures above it come in: it is measured again each time.
    const auto boxNow = [&] {
        QRect box;
        bool measured = false;
        Web()->page()->runJavaScript(
            "(() => { const r = document.querySelector('.box').getBoundingClientRect();"
            " return [r.left, r.top, r.width, r.height]; })()",
            [&](const QVariant& v) {
                const QVariantList r = v.toList();
                if (r.size() == 4)
                    box = QRect(r[0].toInt(), r[1].toInt(), r[2].toInt(), r[3].toInt());
                measured = true;
            });
        return QTest::qWaitFor([&] { return measured; }, 5000) ? box : QRect();
    };
    // Inside the border, in the padding where no letter is: the picture's light green (its gamma
    // may move a channel by a step or two).
    const QColor light(144, 238, 144);
    const auto near = [&](QColor c) {
        return std::abs(c.red() - light.red()) <= 3 && std::abs(c.green() - light.green()) <= 3 &&
               std::abs(c.blue() - light.blue()) <= 3;
    };
    QRect box;
    QImage shown;
    const bool green = WaitFor([&] {
        box = boxNow();
        shown = Web()->grab().toImage();
        const QPoint inside[] = {box.topLeft() + QPoint(3, 3), box.bottomRight() - QPoint(3, 3)};
        return box.width() > 20 && box.height() > 10 &&
               std::all_of(std::begin(inside), std::end(inside), [&](QPoint at) {
                   return shown.valid(at) && near(QColor(shown.pixel(at)));
               });
    });
    testing_support::SaveTestImage(shown, "workbook_browser_archive");
    EXPECT_TRUE(green) << "the box at " << box.x() << "," << box.y() << " shows "
                       << QColor(shown.pixel(box.topLeft() + QPoint(3, 3))).name().toStdString();
}

TEST_F(WorkbookTest, CopyTakesThePanesSelectionAndPrintMakesAPdf) {
    WriteFile(Path("a.htm"), Page("Page A", "#ff0000", "<p>Worksheet words</p>"));
    Open(Path("a.htm"));
    ASSERT_TRUE(WaitShown("Page A"));
    EXPECT_FALSE(view->CanCopy());
    Web()->page()->runJavaScript("window.getSelection().selectAllChildren(document.body)");
    ASSERT_TRUE(WaitFor([&] { return view->CanCopy(); }));
    QApplication::clipboard()->clear();
    ASSERT_TRUE(testing_support::PressToolbarButton(*frame, ID_WORKBOOK_COPY));
    ASSERT_TRUE(
        WaitFor([&] { return QApplication::clipboard()->text().contains("Worksheet words"); }));

    // With the worksheet's selection cleared, the notes' selection is copied.
    form->m_browser.ExecWB(OLECMDID_CLEARSELECTION, OLECMDEXECOPT_DODEFAULT);
    ASSERT_TRUE(WaitFor([&] { return !Web()->page()->hasSelection(); }));
    CEdit* notes = view->GetNotesEdit();
    ASSERT_TRUE(notes);
    notes->SetWindowText("my notes");
    notes->SetSel(3, 8);
    EXPECT_TRUE(view->CanCopy());
    ASSERT_TRUE(testing_support::PressToolbarButton(*frame, ID_WORKBOOK_COPY));
    EXPECT_EQ(QApplication::clipboard()->text(), "notes");
    // Paste goes into the notes.
    notes->SetSel(0, 0);
    ASSERT_TRUE(testing_support::PressToolbarButton(*frame, ID_WORKBOOK_PASTE));
    EXPECT_EQ(notes->GetWindowText(), CString("notesmy notes"));

    const QString pdf = env.File("worksheet.pdf").ToQString();
    modals.ExpectPrint(CString(pdf));
    ASSERT_TRUE(testing_support::PressToolbarButton(*frame, ID_WORKBOOK_PRINT));
    ASSERT_TRUE(WaitFor([&] { return !form->m_browser.Browser()->PrintPending(); }));
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_TRUE(bytes.contains("/Type /Page") || bytes.contains("/Type/Page"));

    // Cancel prints nothing.
    modals.ExpectPrint(CString(pdf + ".2"), IDCANCEL);
    ASSERT_TRUE(testing_support::PressToolbarButton(*frame, ID_WORKBOOK_PRINT));
    EXPECT_FALSE(form->m_browser.Browser()->PrintPending());
    EXPECT_FALSE(QFile::exists(pdf + ".2"));
}

TEST_F(WorkbookTest, PagesFetchNothingFromTheNetwork) {
    QTcpServer listener;
    ASSERT_TRUE(listener.listen(QHostAddress::LocalHost));
    const QByteArray img =
        "<img src='http://127.0.0.1:" + QByteArray::number(listener.serverPort()) + "/p.png'>";
    WriteFile(Path("net.htm"), Page("Net", "#ff0000", img));
    Open(Path("net.htm"));
    ASSERT_TRUE(WaitShown("Net"));
    ASSERT_TRUE(WaitColour({50, 50}, QColor(255, 0, 0)));
    QTest::qWait(300);
    EXPECT_FALSE(listener.hasPendingConnections());
}

TEST_F(WorkbookTest, WithoutTheEngineThePaneSaysWhyAndTheWorkbookGoesOn) {
    WriteFile(Path("a.htm"), Page("Page A", "#ff0000", ""));
    WriteFile(Path("a.hdr"), "launch");
    const struct {
        platform::web::EngineFacts facts;
        const char* reason;
    } rows[] = {
        {{true, false, CString(QCoreApplication::applicationFilePath())}, "Varnel runs as root"},
        {{false, false, "/nowhere/QtWebEngineProcess"}, "The web engine's program"},
    };
    for (const auto& row : rows) {
        // A fresh window: one whose engine already runs is not checked again.
        MakeWindow();
        platform::web::SetEngineFactsForTest([&] { return row.facts; });
        Open(Path("a.htm"));
        const CString message = form->m_browser.Browser()->PaneMessage();
        EXPECT_TRUE(message.str().starts_with(std::string(platform::web::kCannotShow) + row.reason))
            << message;
        EXPECT_EQ(view->m_worksheetPath, CString(Path("a.htm")));
        EXPECT_TRUE(frame->m_launchAvailable);
        EXPECT_EQ(view->m_launchPath, CString(Path("a.hdr")));
        platform::web::SetEngineFactsForTest(nullptr);
    }
    // The next Open Worksheet tries again.
    Open(Path("a.htm"));
    ASSERT_TRUE(WaitShown("Page A"));
    EXPECT_TRUE(form->m_browser.Browser()->PaneMessage().IsEmpty());

    // The page process dies: the pane says so.
    Web()->page()->triggerAction(QWebEnginePage::Stop);
    Web()->load(QUrl("chrome://crash"));
    ASSERT_TRUE(WaitFor([&] { return !form->m_browser.Browser()->PaneMessage().IsEmpty(); }));
    EXPECT_TRUE(form->m_browser.Browser()->PaneMessage().str().starts_with(
        "Worksheets cannot be shown: The web engine stopped (code"));
}

TEST_F(WorkbookTest, TheSplitterShowsAndHidesTheNotes) {
    view->MoveWindow(0, 0, 600, 500);
    testing_support::ProcessQtEvents();
    CRect client;
    view->GetClientRect(&client);
    ASSERT_EQ(client.Height(), 500);
    CMySplitter& splitter = view->GetSplitter();
    int cur = 0, min = 0;
    splitter.GetRowInfo(0, cur, min);
    EXPECT_GE(cur, 500);
    EXPECT_TRUE(splitter.m_locked);

    // Hidden, the bar at the bottom does not move.
    QWidget* bar = splitter.GetWidget();
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(100, 501));
    QTest::mouseMove(bar, QPoint(100, 300));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(100, 300));
    splitter.GetRowInfo(0, cur, min);
    EXPECT_GE(cur, 500);

    // The toolbar's button, through the frame and its view to the document.
    ASSERT_TRUE(testing_support::PressToolbarButton(*frame, ID_WORKBOOK_SPLIT_TB));
    splitter.GetRowInfo(0, cur, min);
    EXPECT_EQ(cur, 350);
    EXPECT_TRUE(frame->m_notesShown);
    EXPECT_TRUE(mainFlags.m_splitViewOn);
    EXPECT_FALSE(splitter.GetPane(1, 0)->GetWidget()->isHidden());

    // Shown, the bar follows the mouse.
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(100, 352));
    QTest::mouseMove(bar, QPoint(100, 252));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(100, 252));
    splitter.GetRowInfo(0, cur, min);
    EXPECT_EQ(cur, 250);

    ASSERT_TRUE(doc.OnCmdMsg(ID_WORKBOOK_SPLIT_VIEW, 0, nullptr, nullptr));
    splitter.GetRowInfo(0, cur, min);
    EXPECT_EQ(cur, 500);
    EXPECT_TRUE(splitter.m_locked);
    EXPECT_FALSE(frame->m_notesShown);
    EXPECT_FALSE(mainFlags.m_splitViewOn);
    EXPECT_TRUE(splitter.GetPane(1, 0)->GetWidget()->isHidden());
}

}  // namespace
