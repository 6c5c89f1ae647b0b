// Script commands for files handed over as a desktop does: recent (File › 最近打开's list),
// drop (files dropped on the main window, delivered through the window's drop target the way
// the toolkit delivers a drop from a file manager) and answer (how a script answers the
// 保存更改? question a drop asks).
#include "CEditorSession.h"
#include "CMainFrame.h"
#include "CSceneDocument.h"
#include "CViewWindow.h"
#include "DesktopFiles.h"
#include "EditorScriptCommands.h"
#include "ScriptCommandArgs.h"

#include <wx/dataobj.h>
#include <wx/dnd.h>

#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <ostream>

namespace {
using Args = CScriptRunner::Args;

// The answer to the save question while a scripted drop asks it, per runner.
struct SaveAnswer {
    const CScriptRunner* runner = nullptr;
    std::string word = "cancel";
};
SaveAnswer g_answer;

const std::string& AnswerFor(const CScriptRunner& r) {
    if (g_answer.runner != &r)
        g_answer = {&r, "cancel"};
    return g_answer.word;
}

// "file://" and the absolute path, every byte but the unreserved ones and '/' as %XX: what a
// file manager puts in a text/uri-list.
std::string FileUri(const std::string& path) {
    std::string full = path;
    if (full.empty() || full[0] != '/') {
        char* here = getcwd(nullptr, 0);
        full = std::string(here ? here : "/") + "/" + path;
        std::free(here);
    }
    static const char* hex = "0123456789ABCDEF";
    std::string uri = "file://";
    for (unsigned char c : full) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += hex[c >> 4];
            uri += hex[c & 15];
        }
    }
    return uri;
}

bool Recent(CScriptRunner& r, const Args& args, std::string& error) {
    if (!Count(args, 0, "recent", error))
        return false;
    CDesktopFiles* desktop = EditorSession(r).Desktop();
    if (!desktop) {
        error = "recent: the editor has no window";
        return false;
    }
    const std::vector<std::string> recent = desktop->Recent();
    if (recent.empty())
        r.Out() << "recent none\n";
    for (const std::string& path : recent)
        r.Out() << "recent " << path << "\n";
    return true;
}

bool Answer(CScriptRunner& r, const Args& args, std::string& error) {
    if (!Count(args, 1, "answer save|discard|cancel", error))
        return false;
    if (args[0] != "save" && args[0] != "discard" && args[0] != "cancel") {
        error = "usage: answer save|discard|cancel";
        return false;
    }
    AnswerFor(r);
    g_answer.word = args[0];
    return true;
}

bool Drop(CScriptRunner& r, const Args& args, std::string& error) {
    if (args.empty()) {
        error = "usage: drop PATH...";
        return false;
    }
    CEditorSession& session = EditorSession(r);
    CMainFrame* frame = session.Frame();
    CDesktopFiles* desktop = session.Desktop();
    auto* target = frame ? dynamic_cast<wxFileDropTarget*>(frame->GetDropTarget()) : nullptr;
    if (!desktop || !target) {
        error = "drop: the main window takes no files";
        return false;
    }
    // The files as a file manager offers them, read back by the toolkit's own file data object
    // (URIs decoded as for a real drop).
    std::string uris;
    for (const std::string& path : args)
        uris += FileUri(path) + "\r\n";
    wxFileDataObject data;
    data.SetData(uris.size() + 1, uris.c_str());
    // Over the middle of the first view, as a person would drop.
    const wxSize client = frame->GetClientSize();
    wxPoint at(client.x / 2, client.y / 2);
    if (CViewWindow* view = frame->GetViewWindow(0)) {
        const wxRect shown = view->GetScreenRect();
        at = frame->ScreenToClient(wxPoint(shown.x + shown.width / 2, shown.y + shown.height / 2));
    }
    // The toolkit's order: enter, move over, drop; then the data. A question the drop asks is
    // answered as the script said (`answer`, cancel by default).
    frame->SetSaveQuestion([&r, &session] {
        std::string word = AnswerFor(r);
        if (word == "save" && session.Document().Path().empty())
            word = "cancel (the scene has no file to save to)";
        r.Out() << "question 保存更改? " << word << "\n";
        return word == "save" ? wxID_YES : word == "discard" ? wxID_NO : wxID_CANCEL;
    });
    bool delivered = false;
    if (wxIsDragResultOk(target->OnEnter(at.x, at.y, wxDragCopy)) &&
        wxIsDragResultOk(target->OnDragOver(at.x, at.y, wxDragCopy)) &&
        target->OnDrop(at.x, at.y)) {
        target->OnDropFiles(at.x, at.y, data.GetFilenames());
        delivered = true;
    } else {
        target->OnLeave();
    }
    frame->SetSaveQuestion(nullptr);
    if (!delivered) {
        error = "drop: the main window refused the drop";
        return false;
    }
    for (const std::string& line : desktop->TakeDropReport())
        r.Out() << line << "\n";
    session.RenderFrames(1);
    return true;
}
} // namespace

void RegisterDesktopScriptCommands(CScriptRunner& runner) {
    AddScriptCommands(runner, {{"recent", Recent}, {"drop", Drop}, {"answer", Answer}});
}
