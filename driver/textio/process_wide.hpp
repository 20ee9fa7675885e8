// One process-wide instance of a stateful unit, with a scoped override so that a
// test can run the real routines against a fresh instance of its own.
#pragma once

namespace ormeda {

// T must be default-constructible; the default instance is made on first use.
template <class T> class ProcessWide {
public:
    static T& current() { return *slot(); }

    // Installs `replacement` as the current instance until the guard goes out of scope.
    class Override {
    public:
        explicit Override(T& replacement) : previous_(slot()) { slot() = &replacement; }
        ~Override() { slot() = previous_; }
        Override(const Override&) = delete;
        Override& operator=(const Override&) = delete;

    private:
        T* previous_;
    };

private:
    static T*& slot() {
        static T standing;
        static T* active = &standing;
        return active;
    }
};

} // namespace ormeda
