#include <cstdlib>

#include "TestEnvironment.h"
#include "platform/ui/NoUserInteraction.h"
#include "platform/ui/ScriptedUserInteraction.h"

using namespace platform::ui;

using ScriptedAnswers = TestEnvironment;

TEST_F(ScriptedAnswers, AnswersAreConsumedInOrderPerKind) {
    write("a.txt", "A");
    write("b.txt", "B");
    write("answers", "open=" + path("a.txt") + "\r\nsave=" + path("out.bin") +
                         "\n# comment\n\nopen=cancel\nopen=" + path("b.txt") +
                         "\npassword=secreto\ncredentials=juan:pa:ss\nmessage=ok\n");
    ScriptedUserInteraction ui(path("answers"));
    EXPECT_EQ(ui.openFile("t"), path("a.txt"));
    EXPECT_EQ(ui.saveFile("x"), path("out.bin"));
    EXPECT_EQ(ui.openFile(""), std::nullopt); // "cancel"
    EXPECT_EQ(ui.openFile(""), path("b.txt"));
    EXPECT_EQ(ui.openFile(""), std::nullopt); // none left
    EXPECT_EQ(ui.password("p"), "secreto");
    EXPECT_EQ(ui.password("p"), std::nullopt);
    auto credentials = ui.credentials("c");
    ASSERT_TRUE(credentials);
    EXPECT_EQ(credentials->user, "juan");
    EXPECT_EQ(credentials->password, "pa:ss");
}

TEST_F(ScriptedAnswers, DialogsAcceptOnlyWhatTheirFlagsAllow) {
    write("answers", "open=" + path("missing") + "\nopen=" + dir_.string() +
                         "\nsave=" + path("no/such/folder/f") + "\nsave=" + dir_.string() + "\n");
    ScriptedUserInteraction ui(path("answers"));
    EXPECT_EQ(ui.openFile(""), std::nullopt); // file must exist
    EXPECT_EQ(ui.openFile(""), std::nullopt); // a folder is not a file
    EXPECT_EQ(ui.saveFile(""), std::nullopt); // path must exist
    EXPECT_EQ(ui.saveFile(""), std::nullopt);
}

TEST_F(ScriptedAnswers, SelectionsAreCheckedAgainstTheRows) {
    write("answers", "select=1\nselect=0, 2\nselect=0,2\nselect=3\nselect=x\nselect=\n");
    ScriptedUserInteraction ui(path("answers"));
    std::vector<std::string> rows{"a", "b", "c"};
    EXPECT_EQ(ui.selectCertificates("t", rows, false), (std::vector<size_t>{1}));
    EXPECT_EQ(ui.selectCertificates("t", rows, true), (std::vector<size_t>{0, 2}));
    EXPECT_EQ(ui.selectCertificates("t", rows, false), std::nullopt); // two for a single pick
    EXPECT_EQ(ui.selectCertificates("t", rows, true), std::nullopt);  // out of range
    EXPECT_EQ(ui.selectCertificates("t", rows, true), std::nullopt);  // malformed
    EXPECT_EQ(ui.selectCertificates("t", rows, true), std::nullopt);  // empty
    EXPECT_EQ(ScriptedUserInteraction::parseSelection("99999999999999999999999"), std::nullopt);
}

TEST_F(ScriptedAnswers, CurrentKeepsThePositionAcrossCalls) {
    write("a.txt", "A");
    write("answers", "open=" + path("a.txt") + "\nopen=cancel\n");
    setenv("QUILLION_UI_ANSWERS", path("answers").c_str(), 1);
    EXPECT_EQ(current().openFile(""), path("a.txt"));
    EXPECT_EQ(current().openFile(""), std::nullopt);
    EXPECT_EQ(current().openFile(""), std::nullopt);
    unsetenv("QUILLION_UI_ANSWERS");
}

TEST_F(ScriptedAnswers, MissingFileAndNoneCancelEverything) {
    ScriptedUserInteraction missing(path("nothing"));
    EXPECT_EQ(missing.openFile(""), std::nullopt);
    NoUserInteraction none;
    EXPECT_EQ(none.saveFile("x"), std::nullopt);
    EXPECT_EQ(none.selectCertificates("t", {"a"}, false), std::nullopt);
    EXPECT_EQ(none.password("p"), std::nullopt);
    EXPECT_EQ(none.credentials("c"), std::nullopt);
    EXPECT_FALSE(none.consent("q"));
}

TEST_F(ScriptedAnswers, ConsentIsYesOnlyWhenTheAnswerSaysSo) {
    write("answers", "consent=yes\nconsent=no\nconsent=cancel\nconsent=YES\nconsent=yes\n");
    ScriptedUserInteraction ui(path("answers"));
    EXPECT_TRUE(ui.consent("q"));
    EXPECT_FALSE(ui.consent("q"));
    EXPECT_FALSE(ui.consent("q"));
    EXPECT_FALSE(ui.consent("q")); // only the exact word counts
    EXPECT_TRUE(ui.consent("q"));
    EXPECT_FALSE(ui.consent("q")); // none left
}
