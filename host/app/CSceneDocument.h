// The scene as a document: the file it was opened from or saved to, and whether it has changed
// since: the undo stack stands at another state of the content than when saved (selection
// steps do not count; undoing back to the saved state clears the mark), or a light's values
// differ, which the plug-ins' light page changes without an undo step.
//
// Opening a scene file replaces the scene only when the whole file is readable; the undo
// stack and the selection go with the old scene (their steps name its entities), the plug-ins
// hear a scene reset (22) and a selection change (50), and the views frame the new scene.
#pragma once

#include <functional>
#include <string>
#include <vector>

class CEditorHost;

class CSceneDocument {
public:
    explicit CSceneDocument(CEditorHost& host);

    // Opens a scene file: Ogre scene XML, or the editor's own text format when the file does
    // not start with '<' (told apart as the command line's --scene does; a file of the text
    // format becomes the source name, not the save target). False with "FILE:LINE: message"
    // (or "FILE: message"), the scene untouched. `warnings`: what was opened with a
    // substitute or skipped.
    bool Open(const std::string& path, std::string& error, std::vector<std::string>& warnings);
    // Saves to `path` and makes it the document's file. False with "PATH: message" (a
    // read-only file is refused: "PATH: the file is read-only"); the unsaved state stays.
    // `warnings`: the files of the scene's folder not copied along (SaveDotScene).
    bool Save(const std::string& path, std::string& error, std::vector<std::string>& warnings);
    bool Save(const std::string& path, std::string& error);

    // The file that Save without a name writes ("" when the scene has none: the built-in demo
    // or a scene of the editor's text format, which is never overwritten with XML).
    const std::string& Path() const { return m_path; }
    // The name shown in the title: the file's name, or 未命名.
    std::string DisplayName() const;
    // A scene that came from a file of another format: shown by name, saved only with a name.
    void SetSourceName(const std::string& path);

    // Opens a recovery copy `copy` as the file `original` ("" for an untitled scene) with
    // unsaved changes: Save without a name writes to `original`. False as Open.
    bool OpenRecovered(const std::string& copy, const std::string& original, std::string& error,
                       std::vector<std::string>& warnings);

    bool IsModified() const;
    // Equal marks mean the same content: the undo position and the lights' values.
    std::string ContentMark() const;
    // IsModified, with the content's mark taken on the same walk of the scene (autosave's
    // question in a big scene).
    bool IsModified(std::string& mark) const;
    // The scene as it is now counts as saved.
    void MarkSaved();
    // "NAME* - Gizmark 场景编辑器", the star while modified.
    std::string Title() const;

    // Points every view at the whole scene.
    void FrameViews();

    // Told the file of each successful open and save (the recent files keep them).
    void SetFileListener(std::function<void(const std::string&)> listener) {
        m_fileListener = std::move(listener);
    }

private:
    std::string LightPrint() const;

    CEditorHost& m_host;
    std::string m_path;
    std::string m_sourceName;
    unsigned long m_savedState = 0; // the undo manager's DocumentState when saved
    std::string m_savedLights;
    bool m_recovered = false; // opened from a recovery copy and not saved since
    std::function<void(const std::string&)> m_fileListener;
};
