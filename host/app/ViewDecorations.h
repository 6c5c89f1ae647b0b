// What a view draws besides the scene: its caption (透视, 顶视, 前视, 侧视) in the top-left
// corner; a grid in the plane it looks at (an orthographic view) or on the ground plane y = 0
// (the perspective view), with a line every unit and a major line every 10 units; and an axis
// tripod in the bottom-left corner (X red, Y green, Z blue, each with its letter) turned as the
// view's camera is. All are engine objects seen only by their own view (a visibility bit of
// that view's viewport). The orthographic grid is drawn behind the scene; the ground grid is
// hidden by what stands above the ground plane.
//
// They are built on the view's third drawn frame, not with the view: the software renderer
// compiles a program for every drawing state the first time it draws with it, and the first
// frame already meets every state of the scene; a caption, grid and tripod that show two frames
// after the window first appears are not something a person can tell, and the first frame comes
// sooner.
#pragma once

#include <OgrePrerequisites.h>
#include <OgreQuaternion.h>

#include <string>

class CViewDecorations {
public:
    // The grid's plane: top, front and side views; GROUND: the plane y = 0 seen in perspective.
    enum Plane { NONE, XZ, XY, ZY, GROUND };

    // How many frames of the view are drawn before the decorations are built.
    static constexpr int kFramesBeforeBuild = 2;

    // `name` prefixes the engine objects; `visibilityBit` is the one bit only this view shows.
    // Nothing is built yet (Build, or FrameDrawn).
    CViewDecorations(Ogre::SceneManager* sceneManager, const std::string& name,
                     Ogre::uint32 visibilityBit, const std::string& caption, Plane grid);
    ~CViewDecorations();
    CViewDecorations(const CViewDecorations&) = delete;
    CViewDecorations& operator=(const CViewDecorations&) = delete;

    // Called before each frame of the view is drawn: builds the decorations before the frame
    // after the first kFramesBeforeBuild.
    void FrameDrawn();
    // Builds the caption, grid and tripod now (once).
    void Build();
    bool Built() const { return m_built; }

    // The unlit vertex-coloured line material drawn over the scene without touching the depth
    // buffer (the orthographic grids, the tripod, the selection boxes: one drawing state).
    static const char* OverlayLineMaterial();

    // Places the caption and the axis tripod for a view of this many pixels (kept until they
    // are built).
    void Resize(int width, int height);
    // Turns the axis tripod as the camera (its world orientation) is turned; builds it anew
    // only when the orientation or the view's size changed.
    void UpdateAxes(const Ogre::Quaternion& cameraOrientation);

    void SetGridShown(bool shown);
    bool GridShown() const { return m_gridShown; }
    bool HasGrid() const { return m_grid != nullptr; }
    // The engine objects (tests look at them).
    Ogre::ManualObject* Grid() const { return m_grid; }
    Ogre::ManualObject* Axes() const { return m_axes; }

    // The caption's size in pixels (0 when it could not be made).
    int CaptionWidth() const { return m_textWidth; }
    int CaptionHeight() const { return m_textHeight; }

private:
    void BuildCaption(const std::string& caption);
    void BuildGrid(Plane plane);
    void BuildAxes();
    void PlaceCaption();

    Ogre::SceneManager* m_sceneManager;
    std::string m_name;
    Ogre::uint32 m_bit;
    std::string m_captionText;
    Plane m_plane;
    bool m_built = false;
    int m_framesDrawn = 0;
    Ogre::ManualObject* m_caption = nullptr;
    Ogre::ManualObject* m_grid = nullptr;
    Ogre::ManualObject* m_axes = nullptr;
    int m_textWidth = 0;
    int m_textHeight = 0;
    int m_width = 0;
    int m_height = 0;
    bool m_gridShown = true;
    // The camera orientation (w, x, y, z) and size the tripod was last built for.
    float m_axesFor[6] = {0, 0, 0, 0, -1, -1};
};
