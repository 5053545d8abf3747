#pragma once

namespace tw {

class Lifetime {
  public:
    virtual ~Lifetime() = default;
    // Ends the program once the running handler returns: no window is shown any more and no
    // further handler runs.
    virtual void endProgram(int exitCode) = 0;
};

// What every host's Lifetime keeps: the program ends once, with the first code given. An end
// asked for before the event loop runs (a second copy) leaves main() to check ended() and not
// enter the loop at all.
class HostLifetime : public Lifetime {
  public:
    void endProgram(int exitCode) final {
        if (ended_) return;
        ended_ = true;
        exitCode_ = exitCode;
        endHost(exitCode);
    }
    bool ended() const { return ended_; }
    int exitCode() const { return exitCode_; }

  protected:
    // Takes every window out of sight (hiding, not closing: closing would ask the window's
    // close handler again) and makes the event loop return the code.
    virtual void endHost(int exitCode) = 0;

  private:
    bool ended_ = false;
    int exitCode_ = 0;
};

}  // namespace tw
