#include "app/registered_tool.h"

#include "platform/path_utils.h"
#include "platform/process_launcher.h"
#include "platform/standard_paths.h"
#include "settings/tool_node.h"

namespace tf {

namespace {

constexpr const char* kBinaryFolder = "/usr/bin";

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// Reads the number of a macro at `pos`; `end` receives the first position after its
// digits. `tooLarge` marks a number past any possible file list, which names no file
// instead of overflowing.
long readNumber(const std::string& text, size_t pos, size_t* end, bool* tooLarge) {
  long number = 0;
  *tooLarge = false;
  while (pos < text.size() && isDigit(text[pos])) {
    if (number > 100000000) *tooLarge = true;
    if (!*tooLarge) number = number * 10 + (text[pos] - '0');
    ++pos;
  }
  *end = pos;
  return number;
}

std::string fileValue(char kind, long number, bool tooLarge, const ToolMacroContext& context) {
  if (tooLarge || number < 1 || static_cast<size_t>(number) > context.files.size()) return "";
  const std::string& path = context.files[static_cast<size_t>(number - 1)];
  std::string folder, name;
  SplitPath(path, &folder, &name);
  if (kind == 'd') return folder;
  if (kind == 'n') return name;
  return path;
}

const std::string* folderValue(char letter, const ToolMacroContext& context) {
  if (letter == 'w') return &context.windowsFolder;
  if (letter == 's') return &context.systemFolder;
  if (letter == 't') return &context.tempFolder;
  return nullptr;
}

// Expands one argument from the start; sets `stopped` when a numbered macro has no
// number of at least 1, leaving the rest of the argument as written.
std::string expandArgument(const std::string& arg, const ToolMacroContext& context, bool* stopped) {
  std::string out;
  size_t i = 0;
  while (i < arg.size()) {
    char next = i + 1 < arg.size() ? arg[i + 1] : '\0';
    if (arg[i] != '%') {
      out += arg[i++];
    } else if (const std::string* folder = folderValue(next, context)) {
      out += *folder;
      i += 2;
    } else if (next == 'd' || next == 'f' || next == 'n' || (next >= '1' && next <= '9')) {
      bool lettered = !isDigit(next);
      size_t end = 0;
      bool tooLarge = false;
      long number = readNumber(arg, i + (lettered ? 2 : 1), &end, &tooLarge);
      if (number < 1 && !tooLarge) {
        *stopped = true;
        return out + arg.substr(i);
      }
      out += fileValue(lettered ? next : 'f', number, tooLarge, context);
      i = end;
    } else {
      out += arg[i++];  // no macro starts here: the '%' is an ordinary character
    }
  }
  return out;
}

}  // namespace

ToolMacroContext MakeToolMacroContext(const std::vector<std::string>& files) {
  ToolMacroContext context;
  context.files = files;
  context.windowsFolder = kBinaryFolder;
  context.systemFolder = kBinaryFolder;
  context.tempFolder = TempFolder();
  return context;
}

std::vector<std::string> ExpandToolArguments(const std::vector<std::string>& arguments,
                                             const ToolMacroContext& context) {
  std::vector<std::string> out;
  out.reserve(arguments.size());
  bool stopped = false;
  for (const std::string& arg : arguments)
    out.push_back(stopped ? arg : expandArgument(arg, context, &stopped));
  return out;
}

std::string ExpandToolDirectory(const std::string& directory, const ToolMacroContext& context) {
  size_t first = directory.find('%');
  if (first == std::string::npos || first + 1 >= directory.size()) return directory;
  char letter = directory[first + 1];
  if (letter != 'd' && !folderValue(letter, context)) return directory;
  // The macro's own text; for %dN only occurrences with the very same number count.
  size_t end = first + 2;
  bool tooLarge = false;
  long number = 0;
  std::string value;
  if (letter == 'd') {
    number = readNumber(directory, first + 2, &end, &tooLarge);
    if (number < 1 && !tooLarge) return directory;
    value = fileValue('d', number, tooLarge, context);
  } else {
    value = *folderValue(letter, context);
  }
  const std::string token = directory.substr(first, end - first);
  std::string out;
  size_t i = 0;
  while (i < directory.size()) {
    bool whole = directory.compare(i, token.size(), token) == 0 &&
                 (letter != 'd' || i + token.size() >= directory.size() ||
                  !isDigit(directory[i + token.size()]));
    if (whole) {
      out += value;
      i += token.size();
    } else {
      out += directory[i++];
    }
  }
  return out;
}

bool RegisteredTool::Load(DataNode* toolNode) {
  if (!toolNode) return false;
  ReadToolNode(toolNode, &m_name, &m_command, &m_directory);
  m_valid = !m_command.empty();
  return true;
}

bool RegisteredTool::Prepare(const ToolMacroContext& context, ToolLaunch* launch) const {
  if (!m_valid || !launch) return false;
  // The line is split before any macro is replaced: an inserted file name can then
  // neither end its argument nor add one, whatever blanks or quotes it holds.
  std::vector<std::string> arguments = SplitCommandLine(m_command);
  if (arguments.empty()) return false;
  launch->arguments = ExpandToolArguments(arguments, context);
  launch->directory = ExpandToolDirectory(m_directory, context);
  return !launch->arguments.front().empty();
}

bool RegisteredTool::Run(const std::vector<std::string>& files, LaunchFailure* failure) {
  ToolLaunch launch;
  if (!Prepare(MakeToolMacroContext(files), &launch)) {
    if (failure) *failure = LaunchFailure{};
    return false;
  }
  // The desktop's opener (the default "Text editor") ends at once, with an error when no
  // program takes the file: it is watched so that such a failure is told. Other tools
  // are left to run without waiting.
  const std::string& program = launch.arguments.front();
  const bool opener = program == kDesktopOpener ||
                      (program.size() > 9 && program.ends_with(std::string("/") + kDesktopOpener));
  return RunCommand(launch.arguments, launch.directory, failure, opener ? kOpenerWatchMs : 0);
}

}  // namespace tf
