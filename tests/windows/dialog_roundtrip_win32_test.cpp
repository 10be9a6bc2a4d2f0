// Read and Write through the Windows dialog against the simulator behind a COM port.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/dialog/dialog_harness.h"

namespace {

class DialogRoundTrip : public DialogTest {
protected:
    void SetUp() override
    {
        Start();
        OpenDialog();
    }
};

TEST_F(DialogRoundTrip, ParametersComeBackByteForByte)
{
    ModalCatcher catcher;
    Choose("Параметры", "");
    m_chosen = {PathOf("исходные"), PathOf("новые.paramVem730"), PathOf("прочитанные")};
    Click(ReadButton());
    std::string edited = m_folder.Read("исходные.paramVem730");
    ASSERT_FALSE(edited.empty()) << "no parameters read";
    // Every byte changes, so that nothing can come back by chance.
    std::transform(edited.begin(), edited.end(), edited.begin(), [](char c) { return static_cast<char>(~c); });
    m_folder.Write("новые.paramVem730", edited);

    Click(WriteButton());
    Click(ReadButton());
    EXPECT_EQ(m_folder.Read("прочитанные.paramVem730"), edited);
    EXPECT_EQ(catcher.Texts(), std::vector<std::string>{}) << "success shows nothing";
}

TEST_F(DialogRoundTrip, ProgramComesBackByteForByte)
{
    // Three blocks of five words and a short last one, as the export writes them.
    const char* const words[] = {"G90", "G54", "M6T3", "G0", "X12.345F100", "Y-0.500F05", "G1",
                                 "Z-2.000F200", "F300", "G4.5", "M3", "G17", "G41", "X0.000F00",
                                 "G40", "G1", "Z-2.000F200", "M30"};
    std::string text;
    for (const char* word : words)
        text += std::string(word) + "\r\n";
    m_folder.Write("деталь.prgVem730", text);

    ModalCatcher catcher;
    Choose("Программа", "9");
    m_chosen = {PathOf("деталь.prgVem730"), PathOf("деталь 9")};
    Click(WriteButton());
    Click(ReadButton());
    EXPECT_EQ(m_folder.Read("деталь 9.prgVem730"), text);
    EXPECT_EQ(catcher.Texts(), std::vector<std::string>{}) << "success shows nothing";
}

} // namespace
