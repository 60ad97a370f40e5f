// Slot 0 of the public interfaces, for the compilers to which the public
// headers give the Microsoft table layout by hand (MinGW on Windows): there
// the interface declares the scalar deleting destructor that a Visual C++
// host calls for `delete`, and this base implements it for the concrete class
// Object. Everywhere else the interface's own virtual destructor takes the
// slot and this base adds nothing.
#ifndef SMTPCLIENT_PLATFORM_DESTRUCTORSLOT_H
#define SMTPCLIENT_PLATFORM_DESTRUCTORSLOT_H

// Defines SMTPCLIENT_SLOT0_DELETING_DESTRUCTOR.
#include "../IMimeMessage.h"

namespace SMTPClientNS {

// Object derives from DestructorSlot<Interface, Object> and is final, so its
// own destructor is the complete one.
template <class Interface, class Object>
class DestructorSlot : public Interface {
#if SMTPCLIENT_SLOT0_DELETING_DESTRUCTOR
public:
    // Bit 0 of flags: free the storage too (a host's `delete`); without it
    // only destroy (a host's explicit destructor call).
    void* ScalarDeletingDestructor(unsigned int flags) override
    {
        void* const address = this;
        Object* const object = static_cast<Object*>(this);
        if (flags & 1u)
            delete object;
        else
            object->~Object();
        return address;
    }
#endif

protected:
    ~DestructorSlot() = default;
};

} // namespace SMTPClientNS

#endif
