#pragma once
// What the receivers of new work need of the program: whether a movie is being decoded,
// and a way to have the next one started. The window implements it; the pipe server sees
// only this.
class DecodeStarter_IF {
public:
    virtual bool IsDecoding() const = 0;
    // Asks the window thread to look at the queue; safe from any thread.
    virtual void PostDecodeStart() const = 0;

protected:
    ~DecodeStarter_IF() = default;
};
