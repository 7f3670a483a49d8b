// quillon-cli convert IN OUT: reads a firmware image from an S-record file or a text dump and
// writes it in the form OUT's extension names. An existing OUT is replaced only on yes, IN is
// never written over, and what OUT's form cannot hold is named before it is left out.
#include <CLI/CLI.hpp>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <ostream>
#include <sstream>

#include "base/regular_file.h"
#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/terminal_ui.h"
#include "cli/window_session.h"
#include "image/dump_reader.h"
#include "image/file_kind.h"
#include "image/firmware_info.h"
#include "image/image_writer.h"
#include "image/memory_image.h"
#include "image/plug_list.h"

namespace quillon::cli {
namespace {

enum class Form { SRecords, Dump, Unknown };

Form formOf(const std::string& path) {
    if (image::isSRecordName(path)) {
        return Form::SRecords;
    }
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

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    if (std::filesystem::equivalent(a, b, ec)) {
        return true;
    }
    return std::filesystem::weakly_canonical(a, ec) == std::filesystem::weakly_canonical(b, ec) &&
           !ec;
}

// What the S-records of the file carry besides data that OUT's form cannot hold, named as a
// person knows them.
std::vector<std::string> droppedRecords(const image::FirmwareInfo& info,
                                        const image::PlugList& plugs,
                                        const image::MemoryImage& image, Form outForm) {
    std::vector<std::string> dropped;
    // Neither writer writes information records.
    if (info.primary.present) {
        dropped.push_back("the primary firmware version " + image::formatVersion(info.primary));
    }
    if (info.station.present) {
        dropped.push_back("the station firmware version " + image::formatVersion(info.station));
    }
    bool compatibility = false;
    for (const image::ComponentRange& range : info.compatibility) {
        compatibility = compatibility || range.present;
    }
    if (compatibility) {
        dropped.push_back("the compatibility ranges");
    }
    if (info.platforms[0].present) {
        dropped.push_back("the platform records");
    }
    if (info.buildSequence != 0) {
        dropped.push_back("the build sequence");
    }
    if (outForm == Form::Dump) {
        if (plugs.count() > 0) {
            dropped.push_back("the " + std::to_string(plugs.count()) + " plug records");
        }
        if (image.hasExecutionAddress() && image.executionAddress() != 0) {
            dropped.push_back("the execution address");
        }
    }
    return dropped;
}

// What a conversion did: the exit status, why it failed and what OUT's form left out.
struct Conversion {
    int exitCode = kExitSuccess;
    std::string reason;
    std::vector<std::string> leftOut;
};

Conversion convert(const std::string& in, const std::string& out, CliIo& io,
                   const GlobalOptions& global) {
    std::ostream& err = io.err;
    Conversion done;
    const auto fail = [&err, &done](int exitCode, const std::string& path, std::string reason) {
        err << "quillon-cli: " << path << ": " << reason << '\n';
        done.exitCode = exitCode;
        done.reason = path + ": " + std::move(reason);
        return done;
    };
    const Form inForm = formOf(in);
    const Form outForm = formOf(out);
    if (inForm == Form::Unknown) {
        return fail(kExitUsage, in,
                    "not an S-record file (.hex, .s19, .srec, .mot) or a .dmp file");
    }
    if (outForm == Form::Unknown) {
        return fail(kExitUsage, out,
                    "can only write S-records (.hex, .s19, .srec, .mot) or .dmp files");
    }
    if (sameFile(in, out)) {
        return fail(kExitUsage, out, "is the file to convert; give another output file");
    }
    image::MemoryImage image;
    image::FirmwareInfo info;
    image::PlugList plugs;
    CollectingUserInterface reader;
    std::uint16_t lines = 0;
    std::ostringstream dumpError;
    if (inForm == Form::SRecords) {
        lines = info.readFile(in, &image, &plugs, reader);
    } else {
        lines = image::readDumpFile(in, image, &dumpError);
    }
    if (lines == 0) {
        std::string reason = reader.readerReason();
        if (reason.empty()) {
            reason = reader.firstText();
        }
        const std::string said = dumpError.str();
        if (reason.empty() && !said.empty()) {
            reason = "Line 0x" + said.substr(said.rfind(' ') + 1) + ": Not a dump line.";
        }
        if (reason.empty()) {
            const std::string why = whyNotAFile(in);
            reason = why.empty() ? "Not a valid text dump." : why;
        }
        return fail(kExitFailure, in, reason);
    }
    if (image.rangeCount() == 0) {
        return fail(kExitFailure, in, "holds no image data");
    }
    // Replacing a file is the person's to confirm, as in a save dialog.
    ui::FileDialogRequest request;
    request.kind = ui::FileDialogRequest::Kind::Save;
    request.confirmOverwrite = true;
    TerminalOptions options = terminalOptions(io, global);
    options.dialogFile = out;
    // With --json nobody is asked and nothing but the document reaches standard output.
    std::ostringstream kept;
    CliIo quietIo{io.in, kept, io.err};
    TerminalUserInterface asking(global.json ? quietIo : io, options);
    if (!asking.fileDialog(request)) {
        return fail(kExitFailure, out, "not replaced");
    }
    const std::vector<std::string> dropped = droppedRecords(info, plugs, image, outForm);
    done.leftOut = dropped;
    if (!dropped.empty()) {
        err << "quillon-cli: warning: " << out << " cannot hold ";
        for (std::size_t i = 0; i < dropped.size(); ++i) {
            err << (i == 0 ? "" : i + 1 == dropped.size() ? " and " : ", ") << dropped[i];
        }
        err << " of " << in << "; they are left out\n";
    }
    image.rewind();
    const std::uint16_t written =
        outForm == Form::SRecords
            ? image::writeHexFile(out, image, plugs.count() > 0 ? &plugs : nullptr)
            : image::writeDumpFile(out, image);
    if (written == 0) {
        return fail(kExitFailure, out, "cannot be written");
    }
    return done;
}

// convert --json: what was converted, or why not, and what was left out.
std::string conversionJson(const std::string& in, const std::string& out, const Conversion& done) {
    nlohmann::ordered_json document = {
        {"command", "convert"},
        {"ok", done.exitCode == kExitSuccess},
        {"outcome", done.exitCode == kExitSuccess ? "done" : "failed"},
        {"reason", done.reason.empty() ? nlohmann::ordered_json(nullptr)
                                       : nlohmann::ordered_json(done.reason)},
        {"messages", nlohmann::ordered_json::array()},
        {"input", in},
        {"output", out},
        {"leftOut", done.leftOut}};
    return document.dump(2) + '\n';
}

}  // namespace

void addConvertCommand(CLI::App& app, CliIo& io, GlobalOptions& global, CommandResult& result) {
    auto* command = app.add_subcommand(
        "convert", "Convert a firmware image between S-records (.hex) and a text dump (.dmp)");
    auto in = std::make_shared<std::string>();
    auto out = std::make_shared<std::string>();
    command->add_option("IN", *in, "Image to read (.hex or .dmp)")->required();
    command->add_option("OUT", *out, "File to write (.hex or .dmp, by its extension)")->required();
    addAnswerFlags(*command, global);
    command->callback([&io, &global, &result, in, out]() {
        const Conversion done = convert(*in, *out, io, global);
        // A usage error prints no document, as with every command.
        if (global.json && done.exitCode != kExitUsage) {
            io.out << conversionJson(*in, *out, done);
        }
        result.exitCode = done.exitCode;
    });
}

}  // namespace quillon::cli
