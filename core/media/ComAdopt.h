#pragma once
// Taking over a reference that a COM call already counted for the caller.
#include <wrl/client.h>

// MinGW's ComPtr::Attach adds a reference of its own (unlike the Windows SDK's), so an
// attached pointer would never be freed; this hands the existing reference to the ComPtr.
template <class Interface>
Microsoft::WRL::ComPtr<Interface> AdoptCom(Interface* counted)
{
    Microsoft::WRL::ComPtr<Interface> owner;
    *owner.GetAddressOf() = counted;
    return owner;
}
