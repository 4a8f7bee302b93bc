#include <cstdint>
#include <cstring>
#include <egui.h>

// Any GL_Object can listen: register it on each source with AddCallback and
// tell the events apart by name (and by sender) in ExecCallback.
class Options : public GL_Object {
public:
    Options(GL_Button* apply, GL_Check* night, GL_Slider* light)
        : GL_Object(nullptr, "options", 0), apply(apply), night(night) {
        apply->AddCallback(this, "Clicked!", nullptr);
        night->AddCallback(this, "Checked!", nullptr);
        light->AddCallback(this, "Value!", nullptr);
    }

    int ExecCallback(GL_Object* sender, char const* event, void* a, void* b, void*, void*, void*) override {
        if (!strcmp(event, "Value!")) {
            // Range widgets pass the new and the old value as integers.
            int now = int(intptr_t(a)), before = int(intptr_t(b));
            lightChanges += now != before;
        } else if (!strcmp(event, "Checked!") && sender == night) {
            nightMode = *static_cast<unsigned char*>(a); // the address of the check state
        } else if (!strcmp(event, "Clicked!") && sender == apply) {
            applied = true;
        }
        return 0;
    }

    bool applied = false;
    unsigned char nightMode = 0;
    int lightChanges = 0;

private:
    GL_Button* apply;
    GL_Check* night;
};

// A source forgets a listener with RemoveCallback (every event: a null name).
void StopListening(GL_Button* apply, Options* options) { apply->RemoveCallback(options, nullptr); }
