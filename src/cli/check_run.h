#pragma once

#include "cli/check_messages.h"
#include "cli/check_progress.h"
#include "core/size_rows.h"
#include "lists/row_list.h"

#include <QtGlobal>
#include <string>
#include <vector>

struct CheckArguments;
class StandardError;
class StandardOutput;

// One run of `bytemarsh --check`: the rows gathered in the order given, each sized and written to
// standard output as soon as its size is known, then the files asked for.
class CheckRun : private SizeRowSteps
{
public:
    CheckRun(const CheckArguments& arguments, StandardError& errors, StandardOutput& output);

    // The exit status: 0, or 1 once anything was said on standard error; 128 + SIGPIPE when the
    // reader of standard output went and nothing else was asked for; 128 + SIGINT when Ctrl-C
    // stopped it.
    int run();
    // The rows as the run leaves them: the path, the size text and the byte count.
    const RowList& rows() const { return rows_; }

private:
    int runSteps();
    void gather(ErrorTrap& trap);
    void sizeAndWrite(ErrorTrap& trap);
    void saveText(ErrorTrap& trap);
    void saveWorkbook(ErrorTrap& trap);

    // The one list is sized in place, in the unit asked for.
    int targetRow(int i, std::string_view path) override;
    short unit() override;
    bool rowDone(int i, int row) override;

    const CheckArguments& arguments_;
    StandardOutput& output_;
    CheckMessages messages_;
    RowList rows_{2, true};
    CheckProgress progress_;
    CheckEventPump events_;
    bool filesWanted_;
    std::vector<qsizetype> widths_; // the columns of the lines on standard output
    std::string line_;
};
