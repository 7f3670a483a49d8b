// quillon-cli convert IN OUT: reads a firmware image from an S-record file or a text dump and
// writes it in the form OUT's extension names.
#include <CLI/CLI.hpp>
#include <ostream>

#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/terminal_ui.h"
#include "image/dump_reader.h"
#include "image/firmware_info.h"
#include "image/image_writer.h"
#include "image/memory_image.h"

namespace quillon::cli {
namespace {

enum class Form { SRecords, Dump, Unknown };

Form formOf(const std::string& path) {
    if (path.size() < 4) {
        return Form::Unknown;
    }
    std::string ext = path.substr(path.size() - 4);
    for (char& c : ext) {
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    if (ext == ".hex")
        return Form::SRecords;
    if (ext == ".dmp")
        return Form::Dump;
    return Form::Unknown;
}

int convert(const std::string& in, const std::string& out, std::ostream& err) {
    const Form inForm = formOf(in);
    const Form outForm = formOf(out);
    if (inForm == Form::Unknown) {
        err << "quillon-cli: " << in << ": not a .hex or .dmp file\n";
        return kExitFailure;
    }
    if (outForm == Form::Unknown) {
        err << "quillon-cli: " << out << ": can only write .hex or .dmp files\n";
        return kExitFailure;
    }
    image::MemoryImage image;
    CollectingUserInterface ui;
    std::uint16_t lines = 0;
    if (inForm == Form::SRecords) {
        image::FirmwareInfo info;
        lines = info.readFile(in, &image, nullptr, ui);
    } else {
        lines = image::readDumpFile(in, image);
    }
    if (lines == 0) {
        err << "quillon-cli: " << in << ": cannot be read"
            << (ui.firstText().empty() ? std::string(" (QUILLON_LOG=- tells why)")
                                       : ": " + ui.firstText())
            << '\n';
        return kExitFailure;
    }
    if (image.rangeCount() == 0) {
        err << "quillon-cli: " << in << ": holds no image data\n";
        return kExitFailure;
    }
    image.rewind();
    const std::uint16_t written = outForm == Form::SRecords
                                      ? image::writeHexFile(out, image, nullptr)
                                      : image::writeDumpFile(out, image);
    if (written == 0) {
        err << "quillon-cli: " << out << ": cannot be written\n";
        return kExitFailure;
    }
    return kExitSuccess;
}

}  // namespace

void addConvertCommand(CLI::App& app, CliIo& io, CommandResult& result) {
    auto* command = app.add_subcommand(
        "convert", "Convert a firmware image between S-records (.hex) and a text dump (.dmp)");
    auto in = std::make_shared<std::string>();
    auto out = std::make_shared<std::string>();
    command->add_option("IN", *in, "Image to read (.hex or .dmp)")->required();
    command->add_option("OUT", *out, "File to write (.hex or .dmp, by its extension)")->required();
    command->callback([&io, &result, in, out]() { result.exitCode = convert(*in, *out, io.err); });
}

}  // namespace quillon::cli
