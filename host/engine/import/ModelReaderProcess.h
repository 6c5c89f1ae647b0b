// Running the model reader apart from the editor: in a child process, on a large stack.
//
// Assimp, as Debian builds it, ends the process on some malformed files (its assertions are
// on), recurses as deep as a file nests, and may loop or allocate far on hostile input. The
// editor must keep running whatever the file: the reader runs in a forked child, which sends
// its outcome back through a pipe, and the child's crash, abort or overrun becomes an error.
#pragma once

#include <functional>
#include <string>

struct ModelPlan;

// The longest a read may take before the child is stopped, and the most memory (address
// space) it may take beyond the editor's own (not limited in address-sanitizer builds, whose
// shadow memory is address space too).
constexpr int kModelReadSeconds = 30;
constexpr unsigned long long kModelReadMemoryBytes = 4ull * 1024 * 1024 * 1024;

// Runs `read` in a child process on a stack large enough for the reader's recursion and
// returns its outcome: its plan, or its error. False with `error` = "LABEL: message" when
// `read` failed, ran longer than `seconds`, or the child ended without an answer. The child
// dies of a crash signal with the system's default action, whatever handlers this process has.
bool ReadInChildProcess(const std::function<bool(ModelPlan&, std::string&)>& read,
                        const std::string& label, ModelPlan& plan, std::string& error,
                        int seconds = kModelReadSeconds);

// Serialised form of an outcome (exposed for tests): "" on success of Decode.
std::string EncodeModelOutcome(bool ok, const ModelPlan& plan, const std::string& error);
bool DecodeModelOutcome(const std::string& bytes, bool& ok, ModelPlan& plan, std::string& error);
