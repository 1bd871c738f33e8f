#pragma once
// Builds the editor model from a skin text: one command per line (size and
// pages, backgrounds, checks and conditions, resources, controls). Lines
// that do not parse or resolve are skipped one by one; a text that never
// sets a usable size and page count gives no skin, and then no editor.
//
// A product adds resource or control types by deriving from the builder
// and overriding createResource or createControl.

namespace XP {
class InputReader;
class TokenReader;
}  // namespace XP

namespace KAMO {

class KConditionSet;
class KEditor;
class KEditorControl;
class KEditorResource;
class KEditorSkin;
class KEffect;
struct ControlSetup;

class KEditorSkinBuilder {
public:
    // Upper bounds that keep a hostile text from asking for absurd amounts
    // of memory or drawing.
    static constexpr int kMaxSize = 8192;
    static constexpr int kMaxPages = 1024;
    static constexpr int kMaxFrames = 65536;
    static constexpr double kMaxFontSize = 1000.0;
    static constexpr int kMaxThrottleMs = 60000;

    explicit KEditorSkinBuilder(KEffect* effect);
    virtual ~KEditorSkinBuilder();
    KEditorSkinBuilder(const KEditorSkinBuilder&) = delete;
    KEditorSkinBuilder& operator=(const KEditorSkinBuilder&) = delete;

    // The reader's cursor is on the type word. Answers a new control, or null
    // when the type is unknown or an argument does not resolve.
    virtual KEditorControl* createControl(const ControlSetup& setup, XP::TokenReader& tokens);
    // The reader's cursor is on the type word. Answers a new resource, or
    // null when the type is unknown or the arguments are rejected.
    virtual KEditorResource* createResource(KEditorSkin& skin, XP::TokenReader& tokens);

    // The skin described by the text, or null. The caller owns it.
    KEditorSkin* buildSkin(XP::InputReader& input);

protected:
    KEffect* effect() const { return mEffect; }
    KEditorSkin* skin() const { return mSkin; }

private:
    void readLine(XP::TokenReader& tokens, KConditionSet& current);
    void init(XP::TokenReader& tokens);
    void backgroundMap(XP::TokenReader& tokens, const KConditionSet& current);
    void backgroundImage(XP::TokenReader& tokens, const KConditionSet& current);
    void startPage(XP::TokenReader& tokens);
    void refreshThrottle(XP::TokenReader& tokens);
    void condition(XP::TokenReader& tokens, KConditionSet& current);
    void addCheck(XP::TokenReader& tokens);
    void addResource(XP::TokenReader& tokens);
    void addControl(XP::TokenReader& tokens, const KConditionSet& current, bool named);
    void installFont(XP::TokenReader& tokens);

    KEffect* mEffect;
    KEditorSkin* mSkin = nullptr;
};

// The editor of the named skin resource, or null when there is no such
// resource or the skin does not build.
KEditor* createEditor(KEffect* effect, const char* resourceName);
// The same over any open source; null when it is not open.
KEditor* createEditor(KEffect* effect, XP::InputReader& input);

}  // namespace KAMO
