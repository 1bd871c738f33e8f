#pragma once
// Base of a plug-in editor as the host sees it: the dispatcher forwards the
// editor opcodes here. The effect owns its editor and deletes it.

#include "shell/Vst2.h"

class AudioEffect;

class AEffEditor {
public:
    explicit AEffEditor(AudioEffect* effect = nullptr) : effect(effect) {}
    virtual ~AEffEditor() = default;
    AEffEditor(const AEffEditor&) = delete;
    AEffEditor& operator=(const AEffEditor&) = delete;

    virtual AudioEffect* getEffect() { return effect; }
    virtual bool getRect(ERect** rect) {
        if (rect) *rect = nullptr;
        return false;
    }
    virtual bool open(void* ptr) {
        systemWindow = ptr;
        return false;
    }
    virtual void close() { systemWindow = nullptr; }
    virtual bool isOpen() { return systemWindow != nullptr; }
    virtual void idle() {}
    virtual bool onKeyDown(VstKeyCode& /*keyCode*/) { return false; }
    virtual bool onKeyUp(VstKeyCode& /*keyCode*/) { return false; }
    virtual bool onWheel(float /*distance*/) { return false; }
    virtual bool setKnobMode(VstInt32 /*mode*/) { return false; }
    // A scale factor the host asks for (1 = one device pixel per skin pixel);
    // takes effect at the next open. Answers whether the editor can scale.
    virtual bool setScaleFactor(float /*factor*/) { return false; }
    // The toolkit that embeds the editor reads window sizes in units of this
    // many device pixels (one that scales its own windows by it, reading a
    // child's size hints as its own units). The window's size hints are then
    // given in those units, while the editor still draws at its device size.
    // 1, the default, is plain device pixels; takes effect at the next open.
    virtual void setEmbedderScale(int /*devicePixels*/) {}
    // Resizing by the user, for the faces whose hosts offer it (the VST 2.4
    // face does not). Sizes are in device pixels. constrainSize moves a size
    // to the nearest one the editor allows, answering whether it was one
    // already; setSize takes the largest allowed size within the one given:
    // at once when open, else at the next opening, and for every opening
    // after until the host asks for another scale factor.
    virtual bool canResize() { return false; }
    virtual bool constrainSize(int* /*width*/, int* /*height*/) { return false; }
    virtual bool setSize(int /*width*/, int /*height*/) { return false; }
    // The window the editor made inside the host's (an X window id on this
    // platform), 0 while there is none: what a toolkit embedding the editor
    // has to wrap.
    virtual unsigned long nativeWindow() { return 0; }
    // The effect calls this whenever what the editor shows may have changed;
    // an editor that draws on its own schedule can ignore it.
    virtual void refresh() {}

protected:
    AudioEffect* effect;
    void* systemWindow = nullptr;
};
