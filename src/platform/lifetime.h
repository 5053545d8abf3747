#pragma once

namespace tw {

class Lifetime {
  public:
    virtual ~Lifetime() = default;
    // Ends the program once the running handler returns: no window is shown any more and no
    // further handler runs.
    virtual void endProgram(int exitCode) = 0;
};

}  // namespace tw
