// The script language's runner: the command table and its cases (the same commands whatever
// the order the command sets are added in), dispatch and error lines, words and numbers.
#include "ScriptRunner.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using Args = CScriptRunner::Args;

class CNoEnvironment : public IScriptEnvironment {
public:
    void ProcessEvents() override {}
    void RaiseMainWindow() override {}
};

std::string Joined(const Args& args) {
    std::string text;
    for (const std::string& word : args)
        text += "[" + word + "]";
    return text;
}

// A set with a command of its own, "show", taking "panel" or "bar".
void PanelSet(CScriptRunner& runner) {
    runner.AddCommand("show", [](CScriptRunner& r, const Args& args, std::string& error) {
        if (args.size() != 1 || (args[0] != "panel" && args[0] != "bar")) {
            error = "usage: show panel|bar";
            return false;
        }
        r.Out() << "panel set " << Joined(args) << "\n";
        return true;
    });
}

// A set adding the case "show light" to the panel set's command, and one of its own.
void LightSet(CScriptRunner& runner) {
    runner.AddCase("show", "light", [](CScriptRunner& r, const Args& args, std::string& error) {
        if (!args.empty()) {
            error = "usage: show light";
            return false;
        }
        r.Out() << "light set\n";
        return true;
    });
    runner.AddCommand("light", [](CScriptRunner& r, const Args& args, std::string&) {
        r.Out() << "light " << Joined(args) << "\n";
        return true;
    });
}

// Runs the lines one by one (a bad line does not end the run here) and answers the output
// and the error lines together.
std::string Transcript(const std::vector<CScriptRunner::CommandSet>& sets,
                       const std::vector<std::string>& lines) {
    CNoEnvironment environment;
    CScriptRunner runner(environment);
    std::ostringstream out;
    runner.SetOutput(&out);
    runner.SetErrorOutput(&out);
    runner.AddCommandSets(sets);
    int number = 0;
    for (const std::string& line : lines)
        runner.RunLine(line, ++number);
    return out.str();
}

TEST(ScriptRunnerTest, TheOrderOfTheCommandSetsDoesNotChangeWhichCommandRuns) {
    const std::vector<std::string> lines = {"show light",       "show panel",  "show bar", "show",
                                            "show light extra", "show lights", "light a b"};
    const std::string expected = "light set\n"
                                 "panel set [panel]\n"
                                 "panel set [bar]\n"
                                 "script:4: usage: show panel|bar\n"
                                 "script:5: usage: show light\n"
                                 "script:6: usage: show panel|bar\n"
                                 "light [a][b]\n";
    EXPECT_EQ(Transcript({PanelSet, LightSet}, lines), expected);
    EXPECT_EQ(Transcript({LightSet, PanelSet}, lines), expected);
}

TEST(ScriptRunnerTest, ACaseWithoutItsCommandRefusesOtherWordsWithItsUsage) {
    EXPECT_EQ(Transcript({LightSet}, {"show light", "show panel", "show"}),
              "light set\nscript:2: usage: show light\nscript:3: usage: show light\n");
    CNoEnvironment environment;
    CScriptRunner runner(environment);
    LightSet(runner);
    EXPECT_TRUE(runner.HasCommand("show"));
    EXPECT_TRUE(runner.HasCommand("quit"));
    EXPECT_FALSE(runner.HasCommand("panel"));
}

TEST(ScriptRunnerTest, ACommandOrCaseNeverChangesHands) {
    CNoEnvironment environment;
    CScriptRunner runner(environment);
    std::ostringstream out;
    runner.SetOutput(&out);
    const auto says = [](const char* text) {
        return [text](CScriptRunner& r, const Args&, std::string&) {
            r.Out() << text << "\n";
            return true;
        };
    };
    EXPECT_TRUE(runner.AddCommand("go", says("first")));
    EXPECT_FALSE(runner.AddCommand("go", says("second")));
    EXPECT_TRUE(runner.AddCase("go", "far", says("far first")));
    EXPECT_FALSE(runner.AddCase("go", "far", says("far second")));
    EXPECT_FALSE(runner.AddCommand("quit", says("no")));
    EXPECT_FALSE(runner.AddCase("quit", "now", says("no")));
    EXPECT_FALSE(runner.AddCommand("", says("no")));
    EXPECT_FALSE(runner.AddCase("go", "", says("no")));
    EXPECT_FALSE(runner.AddCommand("empty", nullptr));
    EXPECT_EQ(runner.RunLine("go", 1), CScriptRunner::Result::Ok);
    EXPECT_EQ(runner.RunLine("go far", 2), CScriptRunner::Result::Ok);
    EXPECT_EQ(runner.RunLine("quit", 3), CScriptRunner::Result::Quit);
    EXPECT_EQ(out.str(), "first\nfar first\n");
    EXPECT_EQ(runner.Clashes(), (std::vector<std::string>{"go", "go far"}));
}

TEST(ScriptRunnerTest, BadLinesEndTheRunWithTheirNumberAndMessage) {
    CNoEnvironment environment;
    CScriptRunner runner(environment);
    std::ostringstream out;
    std::ostringstream err;
    runner.SetOutput(&out);
    runner.SetErrorOutput(&err);
    runner.AddCommand("fail", [](CScriptRunner&, const Args&, std::string&) { return false; });
    runner.AddCommand("ok", [](CScriptRunner& r, const Args&, std::string&) {
        r.Out() << "ok\n";
        return true;
    });

    std::istringstream unknown("ok\n# a comment\n\n  nothing here\nok\n");
    EXPECT_EQ(runner.Run(unknown), 2);
    EXPECT_EQ(err.str(), "script:4: unknown command 'nothing'\n");
    EXPECT_EQ(runner.LastError(), "unknown command 'nothing'");

    err.str("");
    std::istringstream failing("fail\nok\n");
    EXPECT_EQ(runner.Run(failing), 2);
    EXPECT_EQ(err.str(), "script:1: fail: failed\n");

    err.str("");
    std::istringstream quits("ok\nquit now\n");
    EXPECT_EQ(runner.Run(quits), 2);
    EXPECT_EQ(err.str(), "script:2: quit takes no arguments\n");

    std::istringstream ends("ok\nquit\nnothing\n");
    EXPECT_EQ(runner.Run(ends), 0);
    EXPECT_EQ(out.str(), "ok\nok\nok\n");
}

TEST(ScriptRunnerTest, WordsAndNumbers) {
    EXPECT_EQ(CScriptRunner::Split(" a\tb  c\r\n"), (Args{"a", "b", "c"}));
    EXPECT_EQ(CScriptRunner::Split("prop 范围 25.5 # the range"), (Args{"prop", "范围", "25.5"}));
    EXPECT_EQ(CScriptRunner::Split("a#b"), (Args{"a#b"})); // "#" inside a word is no comment
    EXPECT_TRUE(CScriptRunner::Split("# only a comment").empty());

    int i = 7;
    EXPECT_TRUE(CScriptRunner::ParseInt("-12", i));
    EXPECT_EQ(i, -12);
    for (const char* bad : {"", "1x", "1.0", "1000000001", "99999999999999999999"}) {
        i = 7;
        EXPECT_FALSE(CScriptRunner::ParseInt(bad, i)) << bad;
        EXPECT_EQ(i, 7) << bad;
    }
    float f = 7.0f;
    EXPECT_TRUE(CScriptRunner::ParseFloat("2.5e1", f));
    EXPECT_EQ(f, 25.0f);
    for (const char* bad : {"", "nan", "inf", "1e99", "2,5", "1.0f"}) {
        f = 7.0f;
        EXPECT_FALSE(CScriptRunner::ParseFloat(bad, f)) << bad;
        EXPECT_EQ(f, 7.0f) << bad;
    }
}

} // namespace
