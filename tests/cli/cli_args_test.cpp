#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/cli_args.h"

namespace {

// The parse of a command line as one string: the result, the refusal's text and
// argument, or the options that matter and the operands.
std::string parse(const std::vector<std::string>& arguments)
{
    std::vector<std::string> words = {"velmora-cli"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(&word[0]);
    std::vector<char*> operands(argv.size());
    CliOptions options;
    CliParseError error;
    if (parse_cli_arguments((int)argv.size(), argv.data(), CLI_ENGLISH, operands.data(), &options, &error) !=
        PARSE_OK) {
        return "refused " + std::to_string(error.text) + (error.argument ? " " + std::string(error.argument) : "");
    }
    std::string s = std::string(options.command->name) + " d" + std::to_string(options.destination) +
                    (options.output ? "=" + std::string(options.output) : "") + " s" + std::to_string(options.strip);
    if (options.dry_run) s += " dry";
    if (options.walk) s += " walk";
    if (options.json) s += " json";
    if (options.quiet) s += " quiet";
    if (options.language == CLI_JAPANESE) s += " ja";
    if (options.break_animation) s += " break";
    if (options.drop_idot) s += " idot";
    if (options.force_crc) s += " force";
    if (options.types) s += " types=" + std::string(options.types);
    if (options.keep) s += " keep=" + std::string(options.keep);
    if (options.dpi) s += " dpi=" + std::string(options.dpi);
    if (options.time) s += " time=" + std::string(options.time);
    for (int32_t i = 0; i < options.text_count; i++) s += " text=" + std::string(options.texts[i]);
    if (options.profile) s += " profile";
    for (int32_t i = 0; i < options.operand_count; i++) s += " [" + std::string(options.operands[i]) + "]";
    return s;
}

std::string refused(CliText text, const std::string& argument = "")
{
    return "refused " + std::to_string(text) + (argument.empty() ? "" : " " + argument);
}

TEST(CliArguments, CommandLines)
{
    struct Case {
        std::vector<std::string> arguments;
        std::string expected;
    };
    const Case cases[] = {
        {{}, refused(CLI_TEXT_USAGE)},
        {{"list", "a.png"}, "list d0 s0 [a.png]"},
        {{"list", "-r", "--json", "-q", "--lang", "ja", "a", "b"}, "list d0 s0 walk json quiet ja [a] [b]"},
        {{"list", "--lang=ja", "--", "-o", "--json"}, "list d0 s0 ja [-o] [--json]"},
        {{"list", "-"}, "list d0 s0 [-]"},
        {{"list"}, refused(CLI_TEXT_NO_FILES)},
        {{"lisp", "a"}, refused(CLI_TEXT_UNKNOWN_COMMAND, "lisp")},
        {{"list", "--jsonx", "a"}, refused(CLI_TEXT_UNKNOWN_OPTION, "--jsonx")},
        {{"list", "-o", "b", "a"}, refused(CLI_TEXT_OPTION_NOT_FOR_COMMAND, "-o")},
        {{"list", "--lang", "fr", "a"}, refused(CLI_TEXT_BAD_LANGUAGE, "fr")},
        {{"list", "a", "--lang"}, refused(CLI_TEXT_OPTION_NEEDS_VALUE, "--lang")},
        {{"show", "a.png", "3"}, "show d0 s0 [a.png] [3]"},
        {{"show", "a.png"}, refused(CLI_TEXT_SHOW_OPERANDS)},
        {{"show", "a.png", "0"}, refused(CLI_TEXT_SHOW_OPERANDS)},
        {{"show", "a.png", "3x"}, refused(CLI_TEXT_SHOW_OPERANDS)},
        {{"show", "a.png", "99999999999"}, refused(CLI_TEXT_SHOW_OPERANDS)},
        {{"show", "-r", "a.png", "1"}, refused(CLI_TEXT_OPTION_NOT_FOR_COMMAND, "-r")},
        {{"strip", "--metadata", "a.png"}, refused(CLI_TEXT_NEEDS_DESTINATION)},
        {{"strip", "--metadata", "--dry-run", "a.png"}, "strip d0 s1 dry [a.png]"},
        {{"strip", "a.png", "-o", "b.png"}, refused(CLI_TEXT_STRIP_NEEDS_SET)},
        {{"strip", "--all", "--keep=tEXt,zTXt", "-o", "b.png", "a.png"}, "strip d1=b.png s10 keep=tEXt,zTXt [a.png]"},
        {{"strip", "--type", "tEXt", "--break-animation", "--drop-idot", "-d", "out", "a", "b"},
         "strip d2=out s4 break idot types=tEXt [a] [b]"},
        {{"strip", "--type", "tEX", "--in-place", "a"}, refused(CLI_TEXT_BAD_TYPE_LIST, "tEX")},
        {{"strip", "--type", "tEXt,", "--in-place", "a"}, refused(CLI_TEXT_BAD_TYPE_LIST, "tEXt,")},
        {{"strip", "--all", "-o", "x", "a", "b"}, refused(CLI_TEXT_ONE_OUTPUT_ONE_INPUT)},
        {{"strip", "--all", "-o", "x", "--in-place", "a"}, refused(CLI_TEXT_TWO_DESTINATIONS, "--in-place")},
        {{"merge", "--in-place", "a"}, "merge d3 s0 [a]"},
        {{"merge", "--all", "--in-place", "a"}, refused(CLI_TEXT_OPTION_NOT_FOR_COMMAND, "--all")},
        {{"merge", "--force-crc", "--in-place", "a"}, refused(CLI_TEXT_OPTION_NOT_FOR_COMMAND, "--force-crc")},
        {{"repair", "--force-crc", "-d", "o", "a"}, "repair d2=o s0 force [a]"},
        {{"insert", "a"}, refused(CLI_TEXT_INSERT_OPERANDS)},
        {{"strip", "--private", "--dry-run", "a"}, "strip d0 s16 dry [a]"},
        {{"set", "a", "3", "x=1", "-o", "b"}, "set d1=b s0 [a] [3] [x=1]"},
        {{"set", "a", "3", "--in-place"}, refused(CLI_TEXT_SET_OPERANDS)},
        {{"set", "--text", "A=1", "a", "b", "--dpi", "300", "--text=B=2", "--time", "now", "-d", "o"},
         "set d2=o s0 dpi=300 time=now text=A=1 text=B=2 [a] [b]"},
        {{"set", "a", "b", "--dpi", "72", "-o", "x"}, refused(CLI_TEXT_ONE_OUTPUT_ONE_INPUT)},
        {{"set", "a", "--dpi", "0", "--in-place"}, refused(CLI_TEXT_BAD_DPI, "0")},
        {{"set", "a", "--dpi", "-5", "--in-place"}, refused(CLI_TEXT_BAD_DPI, "-5")},
        {{"set", "a", "--time", "2023-02-29T00:00:00", "--in-place"}, refused(CLI_TEXT_BAD_TIME, "2023-02-29T00:00:00")},
        {{"set", "a", "--text", "=v", "--in-place"}, refused(CLI_TEXT_BAD_TEXT_OPTION, "=v")},
        {{"insert", "a", "pHYs", "x=1", "--dry-run"}, "insert d0 s0 dry [a] [pHYs] [x=1]"},
        {{"insert", "a", "ruSt", "--dry-run"}, refused(CLI_TEXT_INSERT_OPERANDS)},
        {{"import", "a", "p.icc", "--in-place"}, "import d3 s0 [a] [p.icc]"},
        {{"import", "a", "--in-place"}, refused(CLI_TEXT_IMPORT_OPERANDS)},
        {{"export", "a", "2", "o.chunk", "--profile"}, "export d0 s0 profile [a] [2] [o.chunk]"},
        {{"export", "a", "2", "--profile"}, refused(CLI_TEXT_EXPORT_OPERANDS)},
        {{"export", "a", "2", "o", "--in-place"}, refused(CLI_TEXT_OPTION_NOT_FOR_COMMAND, "--in-place")},
    };
    for (const Case& c : cases) {
        std::string line;
        for (const std::string& word : c.arguments) line += word + " ";
        EXPECT_EQ(c.expected, parse(c.arguments)) << line;
    }
}

TEST(CliArguments, TypeLists)
{
    const uint8_t text[4] = {'t', 'E', 'X', 't'};
    const uint8_t time[4] = {'t', 'I', 'M', 'E'};
    EXPECT_TRUE(is_type_list("tEXt,tIME"));
    EXPECT_FALSE(is_type_list(""));
    EXPECT_FALSE(is_type_list(",tEXt"));
    EXPECT_FALSE(is_type_list("tEXt,,tIME"));
    EXPECT_TRUE(type_list_has("zTXt,tIME", time));
    EXPECT_FALSE(type_list_has("zTXt,tIME", text));
    EXPECT_FALSE(type_list_has(nullptr, text));
}

}  // namespace
