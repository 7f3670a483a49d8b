// The help of quillon-cli: CLI11's layout with every description wrapped to the terminal (80
// columns at most, and in a pipe), and each command's help ending with the global options,
// which may stand before or after the command.
#pragma once

#include <CLI/CLI.hpp>
#include <cstddef>
#include <string>
#include <string_view>

namespace quillon::cli {

// The group of --yes, --no and --force. A command that asks no question has none of them, and
// its help does not offer them among the global options either.
inline constexpr const char* kAnswersGroup = "Answers to questions";

class HelpFormatter : public CLI::Formatter {
  public:
    // width: the columns every line fits in.
    explicit HelpFormatter(std::size_t width);

    std::string make_option(const CLI::Option* option, bool positional) const override;
    std::string make_option_opts(const CLI::Option* option) const override;
    std::string make_subcommand(const CLI::App* command) const override;
    std::string make_help(const CLI::App* app, std::string name,
                          CLI::AppFormatMode mode) const override;
    std::string make_description(const CLI::App* app) const override;
    std::string make_footer(const CLI::App* app) const override;

  private:
    // "  NAME   description" with the description wrapped under its column.
    std::string entry(const std::string& name, const std::string& description) const;

    std::size_t width_;
};

// One line (without its line end) that starts in the given column, cut at spaces into lines of at
// most width columns; the lines after the first start with hang spaces. A word longer than a
// line stands alone on its line.
std::string wrapLine(std::string_view line, std::size_t width, std::size_t column,
                     std::size_t hang);

// Text cut into lines of at most width columns; its own line ends are kept. A line laid out as
// "  NAME   description" goes on under its description.
std::string wrapText(const std::string& text, std::size_t width);

}  // namespace quillon::cli
