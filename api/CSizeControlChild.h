// Base of a plug-in's side panel as the host's side area holds it.
#pragma once

class wxWindow;

class CSizeControlChild {
public:
    virtual wxWindow* GetWindow() = 0;
    // Lays the panel over the pane: (0, 0, width, height). Returns 1.
    virtual int Resize(int width, int height) = 0;
    virtual int OnActivate(int /*active*/) { return 1; }
    virtual int OnDockChange(int /*side*/) { return 1; }
    virtual int OnHostMessage(int /*code*/, int /*value*/) { return 1; }
    virtual void GetSize(int& width, int& height) = 0;
    // Called by the host when it first needs the window: creates it as a child of parent.
    virtual void CreateChild(wxWindow* parent) = 0;
    virtual ~CSizeControlChild() = default;
};
