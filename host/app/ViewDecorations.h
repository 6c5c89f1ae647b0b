// What a view draws besides the scene: its caption (透视, 顶视, 前视, 侧视) in the top-left
// corner, and for an orthographic view a ground grid in the plane it looks at, with a line every
// unit and a major line every 10 units. Both are engine objects seen only by their own view
// (a visibility bit of that view's viewport).
#pragma once

#include <OgrePrerequisites.h>

#include <string>

class CViewDecorations {
public:
    enum Plane { NONE, XZ, XY, ZY }; // the grid's plane: top, front and side views

    // `name` prefixes the engine objects; `visibilityBit` is the one bit only this view shows.
    CViewDecorations(Ogre::SceneManager* sceneManager, const std::string& name,
                     Ogre::uint32 visibilityBit, const std::string& caption, Plane grid);
    ~CViewDecorations();
    CViewDecorations(const CViewDecorations&) = delete;
    CViewDecorations& operator=(const CViewDecorations&) = delete;

    // Places the caption for a view of this many pixels.
    void Resize(int width, int height);

    // The caption's size in pixels (0 when it could not be made).
    int CaptionWidth() const { return m_textWidth; }
    int CaptionHeight() const { return m_textHeight; }

private:
    void BuildCaption(const std::string& caption);
    void BuildGrid(Plane plane);

    Ogre::SceneManager* m_sceneManager;
    std::string m_name;
    Ogre::uint32 m_bit;
    Ogre::ManualObject* m_caption = nullptr;
    Ogre::ManualObject* m_grid = nullptr;
    int m_textWidth = 0;
    int m_textHeight = 0;
};
