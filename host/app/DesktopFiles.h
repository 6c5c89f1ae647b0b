// Files reaching the editor the way a desktop hands them over: File › 最近打开 (the last ten
// scenes opened or saved, CRecentFiles in the person's settings) and files dropped on the main
// window (a scene opens after the 保存更改? question, each model is imported as one undo step).
// The session makes one for its main window and document; the script commands `recent` and
// `drop` (commands/ScriptDesktopCommands.cpp) use it as the menu and the toolkit do.
#pragma once

#include <wx/dnd.h>
#include <wx/event.h>

#include <string>
#include <vector>

class CEditorHost;
class CMainFrame;
class CSceneDocument;
class wxMenu;

class CDesktopFiles {
public:
    // The menu's entries use the ids kRecentFirstId .. kRecentFirstId + 9.
    static constexpr int kRecentFirstId = wxID_HIGHEST + 400;

    // Adds 最近打开 to the frame's File menu, becomes the frame's drop target and the document's
    // file listener. `settingsPath`: the settings file ("" keeps nothing).
    CDesktopFiles(CMainFrame& frame, CSceneDocument& document, CEditorHost& host,
                  std::string settingsPath);
    ~CDesktopFiles(); // leaves the frame without drop target and the document without listener
    CDesktopFiles(const CDesktopFiles&) = delete;
    CDesktopFiles& operator=(const CDesktopFiles&) = delete;

    // The recent scenes as kept now, newest first. Files gone since are taken out of the list
    // first, and the status line says so.
    std::vector<std::string> Recent();
    // Puts a scene file opened or saved at the top of the list.
    void Remember(const std::string& path);
    // The menu's entry `index`: a file gone is taken out (with a message), else the scene opens
    // after the 保存更改? question. False when nothing was opened.
    bool OpenRecent(size_t index);

    // What a drop of `paths` does (the drop target calls it as the toolkit delivers a drop):
    // at most one scene (.scene) opens, after the 保存更改? question, then each model file is
    // imported as one undo step; anything else is refused. False when nothing came of it.
    bool Drop(const std::vector<std::string>& paths);
    // What the last drop did, one line each: "opened PATH: N entities", "imported PATH: N
    // entities, M meshes", "warning: ...", "refused PATH: why". Taken once.
    std::vector<std::string> TakeDropReport();
    // The drop target the toolkit delivers drops on the main window to.
    wxFileDropTarget* DropTarget() const;

private:
    class CDropTarget;
    // Reads the list from the settings file, changes it with `change`, writes it back.
    template <typename Change> void UpdateList(Change change);
    void RebuildMenu();
    void OnMenuOpen(wxMenuEvent& event);
    void OnRecentItem(wxCommandEvent& event);
    bool OpenScene(const std::string& path, bool report);

    CMainFrame& m_frame;
    CSceneDocument& m_document;
    CEditorHost& m_host;
    std::string m_settingsPath;
    std::vector<std::string> m_shown;    // the menu's entries, as last built
    wxMenu* m_menu = nullptr;            // 最近打开, owned by the File menu
    CDropTarget* m_dropTarget = nullptr; // owned by the frame
    std::vector<std::string> m_report;
};
