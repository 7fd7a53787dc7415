// RegisteredTool: an external program the user registered (name, command line, working
// directory), loaded from its tool node for one run, with the expansion of its macros.
#pragma once

#include <string>
#include <vector>

#include "datatree/data_node.h"
#include "platform/process_launcher.h"

namespace tf {

// What the macros stand for in one run.
struct ToolMacroContext {
  // The selected files' full paths; %f1 is the first. A number past the end gives "".
  std::vector<std::string> files;
  std::string windowsFolder;  // %w
  std::string systemFolder;   // %s
  std::string tempFolder;     // %t, with its trailing '/'
};

// The context of a real run: %w and %s are /usr/bin, %t the temporary folder.
ToolMacroContext MakeToolMacroContext(const std::vector<std::string>& files);

// Expands the macros inside each argument of an already split command line, so that an
// inserted file name stays within its one argument whatever characters it holds.
// Macros: %fN and %N the N-th file, %dN its folder with the trailing '/', %nN its name,
// %w, %s, %t the folders. N is every digit after the macro letter. Inserted text is never
// scanned again, so a '%' in a file name is taken literally. A '%' that starts no macro
// is kept as it is. A numbered macro without a number of at least 1 ("%f0", "%f")
// ends the expansion: it and everything after it, in every later argument too, stay as
// written.
std::vector<std::string> ExpandToolArguments(const std::vector<std::string>& arguments,
                                             const ToolMacroContext& context);

// The working directory: its first macro, when it is %dN, %s, %t or %w, is replaced
// wherever it occurs; any other directory is used as written.
std::string ExpandToolDirectory(const std::string& directory, const ToolMacroContext& context);

// The program and arguments of a run, and the folder it starts in ("" = ours).
struct ToolLaunch {
  std::vector<std::string> arguments;
  std::string directory;
};

class RegisteredTool {
 public:
  RegisteredTool() = default;
  virtual ~RegisteredTool() = default;
  RegisteredTool(const RegisteredTool&) = delete;
  RegisteredTool& operator=(const RegisteredTool&) = delete;

  // Replaces name, command and directory with the decoded texts of a "tool" node.
  virtual bool Load(DataNode* toolNode);
  // Starts the tool, detached and without a shell, on the selected files; true when the
  // process was started. Nothing waits for it. `failure` says why it did not start.
  virtual bool Run(const std::vector<std::string>& files, LaunchFailure* failure = nullptr);

  // The argument vector and folder Run would use; false when the tool is not valid or
  // its command line holds no program.
  bool Prepare(const ToolMacroContext& context, ToolLaunch* launch) const;

  const std::string& name() const { return m_name; }
  const std::string& command() const { return m_command; }
  const std::string& directory() const { return m_directory; }
  bool valid() const { return m_valid; }

 private:
  std::string m_name;
  std::string m_command;
  std::string m_directory;
  bool m_valid = false;
};

}  // namespace tf
