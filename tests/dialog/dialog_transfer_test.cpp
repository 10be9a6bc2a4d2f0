// Tests of Read and Write through the dialog's buttons, file dialogs and progress bar.
#include <gtest/gtest.h>

#include <QEvent>
#include <QFileDialog>
#include <QImage>
#include <QTest>

#include <algorithm>
#include <filesystem>

#include "tests/dialog/dialog_harness.h"

namespace {

const char* const PROGRAM_FILTER = "Программы Вем-730 (*.prgVem730);;All Files (*)";
const char* const PARAMETER_FILTER = "Параметры Вем-730 (*.paramVem730);;All Files (*)";

// General parameters travel in pieces of this many bytes.
constexpr int GENERAL_PIECE = 200;
// Flips bits of every parameter byte, so that the file sent back differs
// from what the controller holds.
constexpr char EDIT_MASK = 0x3C;

class DialogTransfer : public DialogTest {
protected:
    void SetUp() override
    {
        Start();
        OpenDialog();
    }
};

TEST_F(DialogTransfer, ProgramWrittenAndReadBackThroughTheButtons)
{
    const std::vector<std::string> lines = ProgramLines(12);
    const std::string source = PathOf("shaft.prgVem730");
    WriteWholeFile(source, CrLfText(lines));
    Choose("Программа", "7");

    m_chosen = {source, PathOf("back")};
    ModalCatcher catcher;
    Click(WriteButton());
    EXPECT_EQ(m_sim->ProgramFrames({LinkFile::Program, 7}), ChainOf(lines));
    EXPECT_EQ(Progress()->value(), 3);
    EXPECT_EQ(Progress()->maximum(), 3);

    Click(ReadButton());
    EXPECT_EQ(ReadWholeFile(PathOf("back.prgVem730")), CrLfText(lines));
    EXPECT_EQ(Progress()->value(), 3);
    EXPECT_EQ(Progress()->maximum(), 3);

    EXPECT_TRUE(catcher.Seen().empty()) << "success shows nothing";
    EXPECT_EQ(m_fileRequests, (std::vector<FileRequest>{{FileDialogKind::Open, PROGRAM_FILTER},
                                                        {FileDialogKind::SaveAs, PROGRAM_FILTER}}));
    EXPECT_EQ(FolderEntries(m_folder.Path()),
              (std::vector<std::string>{"back.prgVem730", "line.log", "shaft.prgVem730", "store"}))
        << "no image file is left behind";
}

TEST_F(DialogTransfer, SubprogramNumberComesFromTheField)
{
    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Subprogram, 42}, ChainOf(ProgramLines(3))));
    Choose("Подпрограмма", "42");
    m_chosen = {PathOf("sub")};
    ModalCatcher catcher;
    Click(ReadButton());
    EXPECT_TRUE(catcher.Seen().empty());
    EXPECT_EQ(ReadWholeFile(PathOf("sub.prgVem730")), CrLfText(ProgramLines(3)));
}

TEST_F(DialogTransfer, ParametersReadAndWrittenBackThroughTheButtons)
{
    // The kind the dialog starts with.
    m_chosen = {PathOf("machine"), PathOf("edited.paramVem730")};
    ModalCatcher catcher;
    Click(ReadButton());
    const std::string read = ReadWholeFile(PathOf("machine.paramVem730"));
    EXPECT_EQ(read, ParameterFileOf(*m_sim));
    const ControllerInfo info = m_sim->Descriptor();
    const int blocks = info.generalParamSize() / GENERAL_PIECE + info.axisCount();
    EXPECT_EQ(Progress()->maximum(), blocks);
    EXPECT_EQ(Progress()->value(), blocks);
    EXPECT_EQ(Progress()->text(), Qs("Считано: ") + QString::number(read.size()) + Qs(" байт"));

    std::string edited = read;
    std::transform(edited.begin(), edited.end(), edited.begin(),
                   [](char c) { return static_cast<char>(c ^ EDIT_MASK); });
    ASSERT_NE(edited, read);
    WriteWholeFile(PathOf("edited.paramVem730"), edited);
    Click(WriteButton());
    EXPECT_EQ(ParameterFileOf(*m_sim), edited);
    EXPECT_EQ(Progress()->text(), Qs("Записано: 930 байт")) << "the descriptor the store starts with";

    EXPECT_TRUE(catcher.Seen().empty());
    EXPECT_EQ(m_fileRequests, (std::vector<FileRequest>{{FileDialogKind::SaveAs, PARAMETER_FILTER},
                                                        {FileDialogKind::Open, PARAMETER_FILTER}}));
}

// Records the bar's text each time it is painted with one: the block count
// while the transfer moves, what was done after it.
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(QProgressBar* bar) : m_bar(bar) { bar->installEventFilter(this); }
    ~PaintRecorder() override { m_bar->removeEventFilter(this); }

    // What was painted, repeats of the same picture left out.
    std::vector<std::string> Painted() const { return m_painted; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Until the transfer has set its range the bar shows no text; what
        // is painted then is the picture of the command before.
        if (watched == m_bar && event->type() == QEvent::Paint && m_bar->isTextVisible()) {
            const std::string seen = m_bar->text().toStdString();
            if (m_painted.empty() || m_painted.back() != seen)
                m_painted.push_back(seen);
        }
        return false;
    }

private:
    QProgressBar* m_bar;
    std::vector<std::string> m_painted;
};

struct ProgressRow {
    const char* name;
    bool read;
    std::size_t frames;
    std::vector<std::string> painted;
};

// The bar is painted anew after every block, with the block count, and
// says what was done once the transfer has succeeded.
TEST_F(DialogTransfer, BarCountsTheBlocksAndThenSaysWhatWasDone)
{
    const ProgressRow rows[] = {
        {"read of 23 frames", true, 23,
         {"0/5", "1/5", "2/5", "3/5", "4/5", "5/5", "Считано: 23 слова"}},
        {"write of 12 lines", false, 12, {"0/3", "1/3", "2/3", "3/3", "Записано: 12 слов"}},
        {"write of 4 lines", false, 4, {"0/1", "1/1", "Записано: 4 слова"}},
        {"read of 21 frames", true, 21,
         {"0/5", "1/5", "2/5", "3/5", "4/5", "5/5", "Считано: 21 слово"}},
    };
    Choose("Программа", "4");
    for (const ProgressRow& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string file = PathOf(std::string(row.name) + ".prgVem730");
        if (row.read)
            ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Program, 4}, ChainOf(ProgramLines(row.frames))));
        else
            WriteWholeFile(file, CrLfText(ProgramLines(row.frames)));
        m_fileRequests.clear();
        m_chosen = {file};

        ModalCatcher catcher;
        const PaintRecorder recorder(Progress());
        Click(row.read ? ReadButton() : WriteButton());
        EXPECT_EQ(recorder.Painted(), row.painted);
        EXPECT_TRUE(catcher.Seen().empty());
    }
}

TEST_F(DialogTransfer, EmptyRangeShowsAnEmptyBarNotABusyOne)
{
    // What an empty bar looks like: the bar as the dialog opens, 0 of 100.
    const QImage empty = Progress()->grab().toImage();

    // Qt's own picture of a range 0 ... 0 is a busy indicator; the check
    // below can tell the two apart.
    QProgressBar busy;
    busy.setTextVisible(false);
    busy.resize(Progress()->size());
    busy.setRange(0, 0);
    ASSERT_FALSE(busy.grab().toImage() == empty);

    // A full bar first, then a program of no frames: range 0 ... 0.
    Choose("Подпрограмма", "9");
    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Subprogram, 9}, ChainOf(ProgramLines(7))));
    m_chosen = {PathOf("seven"), PathOf("none")};
    ModalCatcher catcher;
    Click(ReadButton());
    ASSERT_EQ(Progress()->value(), Progress()->maximum());
    ASSERT_FALSE(Progress()->grab().toImage() == empty) << "a full bar looks full";

    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Subprogram, 9}, {}));
    Click(ReadButton());
    EXPECT_TRUE(catcher.Seen().empty());
    EXPECT_TRUE(std::filesystem::exists(PathOf("none.prgVem730")));
    EXPECT_LT(Progress()->minimum(), Progress()->maximum()) << "never Qt's busy range";
    EXPECT_EQ(Progress()->value(), Progress()->minimum());
    EXPECT_EQ(Progress()->text(), Qs("Считано: 0 слов"));
    // The bar itself, under the text, as it was at the start.
    Progress()->setTextVisible(false);
    EXPECT_TRUE(Progress()->grab().toImage() == empty) << "the bar looks as it did at the start";
}

struct FailureRow {
    const char* name;
    const char* kind;
    const char* number;
    bool read;
    const char* fileText; // the chosen file's content; nullptr: no such file
    std::optional<FaultRule> fault;
    const char* message;
};

// A failing command tells the user in a real warning box, as the program
// shows it, and the dialog stays.
TEST_F(DialogTransfer, FailureIsShownInAWarningBox)
{
    const std::string sevenLines = CrLfText(ProgramLines(7));
    const std::string badFourth = CrLfText({"G90", "G0", "X1.000F10", "x10", "M30"});
    const FailureRow rows[] = {
        {"descriptor", "Параметры", "", true, nullptr, FaultRule{FaultMode::BadCrc, FaultTarget::Descriptor},
         "Сбой чтения системных параметров Вем-730!"},
        {"program number", "Программа", "21", true, nullptr, std::nullopt,
         "Допустимые значения от 1 до 20"},
        {"subprogram number", "Подпрограмма", "51", false, sevenLines.c_str(), std::nullopt,
         "Допустимые значения от 1 до 50"},
        {"block read", "Программа", "5", true, nullptr, FaultRule{FaultMode::BadCrc, FaultTarget::BlockRead},
         "Ошибка чтения программы"},
        {"block write", "Подпрограмма", "8", false, sevenLines.c_str(),
         FaultRule{FaultMode::BadCrc, FaultTarget::BlockWrite}, "Ошибка записи подпрограммы"},
        {"rejected line", "Программа", "1", false, badFourth.c_str(), std::nullopt,
         "Ошибка в записываемой программе, строка: 4"},
        {"missing file", "Программа", "1", false, nullptr, std::nullopt, "Не могу открыть файл"},
        {"parameter file size", "Параметры", "", false, "short", std::nullopt,
         "Неверный размер файла параметров"},
    };
    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Program, 5}, ChainOf(ProgramLines(7))));
    for (const FailureRow& row : rows) {
        SCOPED_TRACE(row.name);
        const bool parameters = std::string(row.kind) == "Параметры";
        const std::string file =
            PathOf(std::string("f-") + row.name + (parameters ? ".paramVem730" : ".prgVem730"));
        if (row.fileText)
            WriteWholeFile(file, row.fileText);
        m_sim->ClearFaults();
        if (row.fault)
            m_sim->AddFault(*row.fault);
        Choose(row.kind, row.number);
        m_chosen = {file};
        m_fileRequests.clear();

        ModalCatcher catcher;
        Click(row.read ? ReadButton() : WriteButton());
        ASSERT_EQ(catcher.Seen().size(), 1u);
        const SeenModal& box = catcher.Seen()[0];
        EXPECT_EQ(box.className, QStringLiteral("QMessageBox"));
        EXPECT_EQ(box.title, QStringLiteral("MFCVemSync"));
        EXPECT_EQ(box.text, Qs(row.message));
        EXPECT_EQ(box.icon, QMessageBox::Warning);
        EXPECT_EQ(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        EXPECT_TRUE(box.closed) << "Enter closes it";
        EXPECT_TRUE(Dialog().isVisible());
    }
}

struct FileDialogRow {
    const char* name;
    const char* kind;
    bool read;
    QFileDialog::AcceptMode mode;
    QStringList filters;
    const char* suffix; // added to a name typed without one
};

// Without the test hook the standard file dialogs come up, with the kind's
// filter; leaving them ends the command without a word.
TEST_F(DialogTransfer, StandardFileDialogsOfferTheKindsFilter)
{
    Dialog().SetFileChooser({});
    const QStringList programs{Qs("Программы Вем-730 (*.prgVem730)"), QStringLiteral("All Files (*)")};
    const QStringList parameters{Qs("Параметры Вем-730 (*.paramVem730)"),
                                 QStringLiteral("All Files (*)")};
    const FileDialogRow rows[] = {
        {"Read parameters", "Параметры", true, QFileDialog::AcceptSave, parameters, "paramVem730"},
        {"Write parameters", "Параметры", false, QFileDialog::AcceptOpen, parameters, ""},
        {"Read a program", "Программа", true, QFileDialog::AcceptSave, programs, "prgVem730"},
        {"Write a subprogram", "Подпрограмма", false, QFileDialog::AcceptOpen, programs, ""},
    };
    for (const FileDialogRow& row : rows) {
        SCOPED_TRACE(row.name);
        Choose(row.kind, "1");
        std::optional<QFileDialog::AcceptMode> mode;
        QStringList filters;
        QString suffix;
        ModalCatcher catcher([&](QWidget* window) {
            if (auto* files = qobject_cast<QFileDialog*>(window)) {
                suffix = files->defaultSuffix();
                mode = files->acceptMode();
                filters = files->nameFilters();
            }
            QTest::keyClick(window, Qt::Key_Escape);
        });
        Click(row.read ? ReadButton() : WriteButton());
        ASSERT_EQ(catcher.Seen().size(), 1u);
        EXPECT_EQ(catcher.Seen()[0].className, QStringLiteral("QFileDialog"));
        EXPECT_TRUE(catcher.Seen()[0].closed) << "Esc leaves it";
        EXPECT_EQ(mode, row.mode);
        EXPECT_EQ(filters, row.filters);
        EXPECT_EQ(suffix, Qs(row.suffix));
    }
    EXPECT_TRUE(Requests().empty()) << "nothing is asked of the controller";
}

// The path the standard dialog gives back reaches the file system intact,
// also in Cyrillic.
TEST_F(DialogTransfer, StandardSaveAsDialogNamesTheFile)
{
    Dialog().SetFileChooser({});
    Choose("Программа", "5");
    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Program, 5}, ChainOf(ProgramLines(2))));
    const QString target = QString::fromStdString(PathOf("Деталь"));
    ModalCatcher catcher([&](QWidget* window) {
        if (auto* files = qobject_cast<QFileDialog*>(window)) {
            files->selectFile(target);
            QTest::keyClick(files, Qt::Key_Return);
            return;
        }
        QTest::keyClick(window, Qt::Key_Return);
    });
    Click(ReadButton());
    ASSERT_EQ(catcher.Seen().size(), 1u);
    EXPECT_TRUE(catcher.Seen()[0].closed);
    EXPECT_EQ(ReadWholeFile(PathOf("Деталь.prgVem730")), CrLfText(ProgramLines(2)));
}

struct ReplaceRow {
    const char* name;
    QMessageBox::StandardButton answer;
    bool replaced;
};

// A name typed without the extension is the name of the file with it; the
// question before replacing a file is asked about that file, in Russian.
TEST_F(DialogTransfer, SaveAsAsksBeforeReplacingTheFileThatWillBeWritten)
{
    const ReplaceRow rows[] = {
        {"answered No", QMessageBox::No, false},
        {"answered Yes", QMessageBox::Yes, true},
    };
    Dialog().SetFileChooser({});
    Choose("Программа", "5");
    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Program, 5}, ChainOf(ProgramLines(2))));
    for (const ReplaceRow& row : rows) {
        SCOPED_TRACE(row.name);
        WriteWholeFile(PathOf("prog1.prgVem730"), "old");
        ModalCatcher catcher([&](QWidget* window) {
            if (auto* files = qobject_cast<QFileDialog*>(window)) {
                files->selectFile(QString::fromStdString(PathOf("prog1")));
                QTest::keyClick(files, Qt::Key_Return);
            } else if (auto* box = qobject_cast<QMessageBox*>(window)) {
                QTest::mouseClick(box->button(row.answer), Qt::LeftButton);
            }
        });
        Click(ReadButton());
        ASSERT_EQ(catcher.Seen().size(), 2u);
        EXPECT_EQ(catcher.Seen()[0].className, QStringLiteral("QFileDialog"));
        EXPECT_EQ(catcher.Seen()[1].text, Qs("prog1.prgVem730 уже существует.\nЗаменить его?"));
        EXPECT_EQ(ReadWholeFile(PathOf("prog1.prgVem730")),
                  row.replaced ? CrLfText(ProgramLines(2)) : std::string("old"));
        EXPECT_FALSE(std::filesystem::exists(PathOf("prog1")));
    }
}

// A typed name with a dot of its own gets the extension all the same; the
// question is about that file, and No leaves it alone.
TEST_F(DialogTransfer, SaveAsAsksAboutTheFileReadWritesWhateverTheNameLooksLike)
{
    Dialog().SetFileChooser({});
    Choose("Параметры", "");
    const std::string existing = PathOf("a.v2.paramVem730");
    WriteWholeFile(existing, "old");
    ModalCatcher catcher([&](QWidget* window) {
        if (auto* files = qobject_cast<QFileDialog*>(window)) {
            files->selectFile(QString::fromStdString(PathOf("a.v2")));
            QTest::keyClick(files, Qt::Key_Return);
        } else if (auto* box = qobject_cast<QMessageBox*>(window)) {
            QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton);
        }
    });
    Click(ReadButton());
    ASSERT_EQ(catcher.Seen().size(), 2u);
    EXPECT_EQ(catcher.Seen()[1].text, Qs("a.v2.paramVem730 уже существует.\nЗаменить его?"));
    EXPECT_EQ(ReadWholeFile(existing), "old");
    EXPECT_FALSE(std::filesystem::exists(PathOf("a.v2")));
    EXPECT_TRUE(Requests().empty()) << "nothing is asked of the controller";
}

// The file dialogs start in the user's documents folder, then in the folder
// of the last file chosen, Open and Save As alike.
TEST_F(DialogTransfer, FileDialogsOpenInTheFolderOfTheLastFileChosen)
{
    const std::string home = PathOf("home");
    std::filesystem::create_directories(home + "/Documents");
    std::filesystem::create_directories(PathOf("parts"));
    const ScopedEnv homeEnv("HOME", home);
    const ScopedEnv configEnv("XDG_CONFIG_HOME", home + "/.config");
    Dialog().SetFileChooser({});
    Choose("Программа", "5");
    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Program, 5}, ChainOf(ProgramLines(2))));

    std::vector<std::string> folders;
    ModalCatcher catcher([&](QWidget* window) {
        auto* files = qobject_cast<QFileDialog*>(window);
        if (files == nullptr)
            return;
        folders.push_back(files->directory().absolutePath().toStdString());
        if (folders.size() == 1) {
            files->selectFile(QString::fromStdString(PathOf("parts/p")));
            QTest::keyClick(files, Qt::Key_Return);
        } else {
            QTest::keyClick(files, Qt::Key_Escape);
        }
    });
    Click(ReadButton());
    Click(WriteButton());
    EXPECT_EQ(folders, (std::vector<std::string>{home + "/Documents", PathOf("parts")}));
    EXPECT_EQ(ReadWholeFile(PathOf("parts/p.prgVem730")), CrLfText(ProgramLines(2)));
}

// A post-processor's output picked under "All Files" is sent as it is.
TEST_F(DialogTransfer, WriteSendsAChosenFileOfAnotherExtensionAsItIs)
{
    const std::vector<std::string> lines = ProgramLines(12);
    WriteWholeFile(PathOf("cam.nc"), CrLfText(lines));
    Choose("Программа", "2");
    m_chosen = {PathOf("cam.nc")};
    ModalCatcher catcher;
    Click(WriteButton());
    EXPECT_TRUE(catcher.Seen().empty());
    EXPECT_EQ(m_sim->ProgramFrames({LinkFile::Program, 2}), ChainOf(lines));
    EXPECT_EQ(Progress()->text(), Qs("Записано: 12 слов"));
    EXPECT_FALSE(std::filesystem::exists(PathOf("cam.nc.prgVem730")));
}

} // namespace
