// The built velmora-cli on a batch with one unreadable file: the batch goes on,
// the exit status is the worst of the batch, the summary line counts every file.
#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/wait.h>

#include <string>

#include "support/test_support.h"

namespace {

struct ProgramRun {
    int status;
    std::string out;
};

ProgramRun run_program(const std::string& arguments)
{
    std::string command = std::string(VELMORA_CLI_PROGRAM) + " " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ProgramRun run = {-1, ""};
    if (!pipe) return run;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, got);
    int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(CliProgram, BatchWithAnUnreadableFile)
{
    TempDir dir;
    write_file(dir.path("a.png"), make_simple_png({make_chunk("tEXt", {'k', 0, 'v'})}));
    write_file(dir.path("b.png"), text_bytes("GIF89a"));
    write_file(dir.path("c.png"), make_simple_png({make_chunk("IDAT", {1}), make_chunk("IDAT", {2})}));
    ProgramRun run = run_program("list --lang en -r '" + dir.root + "'");
    EXPECT_EQ(2, run.status) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("b.png: could not be read: not a PNG file.")) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("c.png\n")) << run.out;
    EXPECT_NE(std::string::npos,
              run.out.find("3 files: 2 fine, 0 changed, 0 with damage or left as they were, 1 unreadable, 0 not written\n"))
        << run.out;

    ProgramRun usage = run_program("strip --all '" + dir.path("a.png") + "'");
    EXPECT_EQ(3, usage.status);
    EXPECT_NE(std::string::npos, usage.out.find("velmora-cli COMMAND")) << usage.out;
    ProgramRun merged = run_program("merge --lang en -d '" + dir.path("out") + "' '" + dir.path("b.png") + "' '" +
                                    dir.path("c.png") + "'");
    EXPECT_EQ(2, merged.status) << merged.out;
    EXPECT_TRUE(file_exists(dir.path("out/c.png")));
}

}  // namespace
