// murvelon-cli: render, play, convert and describe songs without a window.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/configfile.h"
#include "app/firststart.h"
#include "app/version.h"
#include "tools/cli/cli.h"

namespace {

constexpr const char* kVersion =
    "murvelon-cli " MURVELON_PACKAGE_VERSION " (Murvelon ver. " MURVELON_VERSION_TEXT ")";

struct cCommandHelp {
  const char* name;
  const char* usage;
  const char* text;
};

constexpr cCommandHelp kCommands[] = {
    {"render",
     "render SONG [-o OUT.wav|OUT.flac] [--stems DIR] [--format F] [--positions A-B]\n"
     "                    [--seconds S] [--stats] [--ini FILE]",
     "Renders a song (.zqm) or a ProTracker module (.mod) to a stereo sound file at the\n"
     "configured rate, from the very first block the engine renders. Without --seconds it\n"
     "renders until the song first wraps from its end to its repeat position, plus two seconds\n"
     "of tail, and at most 60 minutes. The same song always gives the same file.\n"
     "OUT ending in .flac is 16-bit FLAC, any other name 16-bit WAV; --format F chooses wav16,\n"
     "wav24, float (32-bit float WAV), flac16 or flac24. 16-bit files are dithered; 24-bit and\n"
     "float files take the mix before dither. --stems DIR writes, from the same pass, one file\n"
     "per song channel (channel-00.wav ...) and per aux bus a channel sends to (aux-1.wav ...),\n"
     "each as long as the mix; together they add up to the mix before dither. Stems are\n"
     "32-bit float unless --format says otherwise. --positions A-B plays sequence positions A\n"
     "to B (in decimal) instead of the song's start to end. A file is written under a\n"
     "temporary name and appears only once it is complete."},
    {"play", "play SONG [--device D] [--stats] [--ini FILE]",
     "Plays a song or module in real time until it ends or Ctrl-C, with a one-line display of\n"
     "position, pattern, row and underruns. --stats adds the CPU load, measured while the song\n"
     "plays (\"--\" until the processor clock is known, about 1.5 s), and a summary. D is\n"
     "default, null, wav:PATH or a device name; without --device the configuration's Device\n"
     "key decides."},
    {"convert", "convert IN -o OUT.zqm [--ini FILE]",
     "Loads a song or a module and saves it as a song file."},
    {"devices", "devices",
     "Lists the sound output devices that --device and the Device key accept by name."},
    {"midi-ports", "midi-ports",
     "Lists the MIDI sources (ALSA sequencer and JACK) by the names the MIDI section's Input\n"
     "key takes; Input=all listens to every one of them."},
    {"info", "info SONG [--json] [--ini FILE]",
     "Describes a song: channels, tempo, sequence range, patterns, instruments by generator,\n"
     "waves, and the effects of every chain with their parameter values."},
};

void PrintUsage(std::FILE* to) {
  std::fprintf(to, "Usage: murvelon-cli COMMAND [options]\n\nCommands:\n");
  for (const auto& c : kCommands) std::fprintf(to, "  murvelon-cli %s\n", c.usage);
  std::fprintf(
      to,
      "\nEvery command takes --help and --ini FILE (the configuration to read instead of the\n"
      "default murvelon.ini). Exit status: 0 success, 1 a file that cannot be read or is not\n"
      "recognised, 2 bad usage.\n");
}

const cCommandHelp* FindCommand(const std::string& name) {
  for (const auto& c : kCommands) {
    if (name == c.name) return &c;
  }
  return nullptr;
}

int Usage(const std::string& message) {
  std::fprintf(stderr, "murvelon-cli: %s\n", message.c_str());
  std::fprintf(stderr, "Try 'murvelon-cli --help'.\n");
  return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    PrintUsage(stderr);
    return kExitUsage;
  }
  const std::string first = argv[1];
  if (first == "--help" || first == "-h" || first == "help") {
    PrintUsage(stdout);
    return kExitOk;
  }
  if (first == "--version") {
    std::printf("%s\n", kVersion);
    return kExitOk;
  }
  const cCommandHelp* command = FindCommand(first);
  if (command == nullptr) return Usage("unknown command '" + first + "'");

  cCliOptions options;
  options.command = first;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string* out) {
      if (i + 1 >= argc) return false;
      *out = argv[++i];
      return true;
    };
    if (arg == "--help" || arg == "-h") {
      std::printf("Usage: murvelon-cli %s\n\n%s\n", command->usage, command->text);
      return kExitOk;
    } else if (arg == "-o" || arg == "--output") {
      if (!value(&options.output)) return Usage(arg + " needs a file name");
    } else if (arg == "--ini") {
      if (!value(&options.ini)) return Usage("--ini needs a file name");
    } else if (arg == "--device" && options.command == "play") {
      if (!value(&options.device)) return Usage("--device needs a device name");
    } else if (arg == "--seconds" && options.command == "render") {
      std::string text;
      if (!value(&text)) return Usage("--seconds needs a number");
      char* end = nullptr;
      options.seconds = std::strtod(text.c_str(), &end);
      if (end == text.c_str() || *end != '\0' || !(options.seconds >= 0) ||
          options.seconds > 3600) {
        return Usage("--seconds takes a number of seconds from 0 to 3600");
      }
    } else if (arg == "--stems" && options.command == "render") {
      if (!value(&options.stems)) return Usage("--stems needs a folder");
    } else if (arg == "--format" && options.command == "render") {
      std::string text;
      if (!value(&text) || !ParseSoundFormat(text, &options.format))
        return Usage("--format takes wav16, wav24, float, flac16 or flac24");
      options.formatGiven = true;
    } else if (arg == "--positions" && options.command == "render") {
      std::string text;
      int first = -1, last = -1, used = 0;
      if (!value(&text) || std::sscanf(text.c_str(), "%d-%d%n", &first, &last, &used) != 2 ||
          size_t(used) != text.size() || first < 0 || last < first || last > 4095) {
        return Usage("--positions takes two positions A-B from 0 to 4095, A not after B");
      }
      options.firstPosition = first;
      options.lastPosition = last;
    } else if (arg == "--json" && options.command == "info") {
      options.json = true;
    } else if (arg == "--stats" && (options.command == "render" || options.command == "play")) {
      options.stats = true;
    } else if (!arg.empty() && arg[0] == '-') {
      return Usage("unknown option '" + arg + "' for " + options.command);
    } else if (options.input.empty()) {
      options.input = arg;
    } else {
      return Usage("too many arguments");
    }
  }
  if (options.command == "devices") {
    if (!options.input.empty()) return Usage("devices takes no file");
    return RunDevices();
  }
  if (options.command == "midi-ports") {
    if (!options.input.empty()) return Usage("midi-ports takes no file");
    return RunMidiPorts();
  }
  if (options.input.empty()) return Usage(options.command + " needs a song file");
  if (options.command == "convert" && options.output.empty()) return Usage("convert needs -o OUT");
  if (options.command == "render" && options.output.empty() && options.stems.empty())
    return Usage("render needs -o OUT or --stems DIR");

  // The first start gives the user Songs/, Synths/ and FMSynths/ with the
  // demo song and the starter presets; a failure there stops no command.
  for (const std::string& problem : PrepareUserFolders(DefaultPaths()).errors)
    std::fprintf(stderr, "murvelon-cli: warning: %s\n", problem.c_str());

  if (options.command == "render") return RunRender(options);
  if (options.command == "play") return RunPlay(options);
  if (options.command == "convert") return RunConvert(options);
  return RunInfo(options);
}
