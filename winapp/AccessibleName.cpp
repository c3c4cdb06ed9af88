#include "winapp/AccessibleName.h"

#include "platform/Exception.h"

// After windows.h, which it needs. Interface ids are taken with __uuidof,
// from the headers: mingw-w64's 64-bit oleacc import library defines
// IID_IAccessible as a call stub into oleacc.dll, whose address would pass
// for the id.
#include <oleacc.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace dnspeek {

namespace {

// Whether a child id names the control itself rather than one of its items.
bool IsSelf(const VARIANT& child)
{
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-union-access): the type says which member holds the id.
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

struct TReleaser {
    void operator()(IUnknown* object) const { object->Release(); }
};

// The control's standard accessible object with another name: the role,
// value, state, place and every other answer stay the standard control's,
// and so do the further interfaces it answers (screen readers use them),
// each served by this one object, as COM's identity rules ask.
// Served on the window's thread alone, so its count needs no lock.
class TNamedAccessible final : public IAccessible, public IEnumVARIANT, public IOleWindow, public IServiceProvider {
public:
    TNamedAccessible(IAccessible* standard, const char* name) noexcept : standard_(standard), name_(name) {}
    // Deleted by its last Release alone.
    virtual ~TNamedAccessible() = default;
    TNamedAccessible(const TNamedAccessible&) = delete;
    TNamedAccessible& operator=(const TNamedAccessible&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID interfaceId, void** object) override
    {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        if (interfaceId == __uuidof(IUnknown) || interfaceId == __uuidof(IDispatch)
            || interfaceId == __uuidof(IAccessible))
            *object = static_cast<IAccessible*>(this);
        else if (interfaceId == __uuidof(IEnumVARIANT) && Standard<IEnumVARIANT>())
            *object = static_cast<IEnumVARIANT*>(this);
        else if (interfaceId == __uuidof(IOleWindow) && Standard<IOleWindow>())
            *object = static_cast<IOleWindow*>(this);
        else if (interfaceId == __uuidof(IServiceProvider) && Standard<IServiceProvider>())
            *object = static_cast<IServiceProvider*>(this);
        if (*object == nullptr)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override
    {
        if (!IsSelf(child))
            return standard_->get_accName(child, name);
        if (name == nullptr)
            return E_POINTER;
        const std::size_t length = std::strlen(name_);
        *name = SysAllocStringLen(nullptr, static_cast<UINT>(length));
        if (*name == nullptr)
            return E_OUTOFMEMORY;
        // ASCII, which widens byte by byte.
        std::copy(name_, name_ + length, *name);
        return S_OK;
    }

    // Everything else as the standard object answers it.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return standard_->GetTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override
    {
        return standard_->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID interfaceId, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override
    {
        return standard_->GetIDsOfNames(interfaceId, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID interfaceId, LCID locale, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT* wrongArgument) override
    {
        return standard_->Invoke(id, interfaceId, locale, flags, parameters, result, exception, wrongArgument);
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return standard_->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override { return standard_->get_accChildCount(count); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override
    {
        return standard_->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override
    {
        return standard_->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override
    {
        return standard_->get_accDescription(child, description);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override
    {
        return standard_->get_accRole(child, role);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override
    {
        return standard_->get_accState(child, state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override
    {
        return standard_->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override
    {
        return standard_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override
    {
        return standard_->get_accKeyboardShortcut(child, shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override { return standard_->get_accFocus(child); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override
    {
        return standard_->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override
    {
        return standard_->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override
    {
        return standard_->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override
    {
        return standard_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override
    {
        return standard_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG left, LONG top, VARIANT* child) override
    {
        return standard_->accHitTest(left, top, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override
    {
        return standard_->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override
    {
        return standard_->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override
    {
        return standard_->put_accValue(child, value);
    }

    // The further interfaces, answered only where the standard object has them.
    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* children, ULONG* fetched) override
    {
        return Forward<IEnumVARIANT>([&](IEnumVARIANT& all) { return all.Next(count, children, fetched); });
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override
    {
        return Forward<IEnumVARIANT>([&](IEnumVARIANT& all) { return all.Skip(count); });
    }
    HRESULT STDMETHODCALLTYPE Reset() override
    {
        return Forward<IEnumVARIANT>([](IEnumVARIANT& all) { return all.Reset(); });
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override
    {
        return Forward<IEnumVARIANT>([&](IEnumVARIANT& all) { return all.Clone(copy); });
    }
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override
    {
        return Forward<IOleWindow>([&](IOleWindow& ole) { return ole.GetWindow(window); });
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enter) override
    {
        return Forward<IOleWindow>([&](IOleWindow& ole) { return ole.ContextSensitiveHelp(enter); });
    }
    HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID interfaceId, void** object) override
    {
        return Forward<IServiceProvider>(
            [&](IServiceProvider& provider) { return provider.QueryService(service, interfaceId, object); });
    }

private:
    // The standard object's interface `T`, or none.
    template <typename T>
    [[nodiscard]] std::unique_ptr<T, TReleaser> Standard() const
    {
        void* answer = nullptr;
        if (FAILED(standard_->QueryInterface(__uuidof(T), &answer)))
            return nullptr;
        return std::unique_ptr<T, TReleaser>(static_cast<T*>(answer));
    }
    // `call` on the standard object's interface `T`, which it answered when
    // this one was asked for.
    template <typename T, typename TCall>
    HRESULT Forward(TCall call) const
    {
        const auto standard = Standard<T>();
        return standard ? call(*standard) : E_UNEXPECTED;
    }

    std::unique_ptr<IAccessible, TReleaser> standard_;
    const char* name_;
    ULONG references_ = 1;
};

// The answer to WM_GETOBJECT for the control's client area: the control's
// standard object under `name`, as a positive reference; 0, or the error
// LresultFromObject gave (negative), when there is none.
LRESULT NamedObject(HWND control, const char* name, WPARAM flags)
{
    void* standard = nullptr;
    if (FAILED(CreateStdAccessibleObject(control, OBJID_CLIENT, __uuidof(IAccessible), &standard)))
        return 0;
    auto* named = new (std::nothrow) TNamedAccessible(static_cast<IAccessible*>(standard), name);
    if (named == nullptr) {
        static_cast<IAccessible*>(standard)->Release();
        return 0;
    }
    const LRESULT answer = LresultFromObject(__uuidof(IAccessible), flags, static_cast<IAccessible*>(named));
    named->Release();
    return answer;
}

// The control's window procedure replaced by `windowProc`; the one it had.
WNDPROC ReplaceWindowProc(HWND control, WNDPROC windowProc)
{
    const auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(windowProc)));
    if (previous == nullptr)
        throw Exception("The accessible name of a control could not be set.");
    return previous;
}

}  // namespace

// No message comes between the two: both are set before the control is sent
// the next one.
TAccessibleName::TAccessibleName(HWND control, const char* name)
    : control_(control), name_(name), standardProc_(ReplaceWindowProc(control, &TAccessibleName::WindowProc))
{
    SetWindowLongPtrA(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TAccessibleName::~TAccessibleName()
{
    if (control_ != nullptr)
        Detach();
}

void TAccessibleName::Detach()
{
    SetWindowLongPtrW(control_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(standardProc_));
    SetWindowLongPtrA(control_, GWLP_USERDATA, 0);
    control_ = nullptr;
}

// A screen reader asks the control for its accessible object with
// WM_GETOBJECT.
LRESULT CALLBACK TAccessibleName::WindowProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    auto* self = reinterpret_cast<TAccessibleName*>(GetWindowLongPtrA(control, GWLP_USERDATA));
    if (message == WM_GETOBJECT && static_cast<DWORD>(lParam) == static_cast<DWORD>(OBJID_CLIENT)) {
        // Without a named object the control's own answer goes out.
        if (const LRESULT answer = NamedObject(control, self->name_, wParam); answer > 0)
            return answer;
    }
    const WNDPROC standardProc = self->standardProc_;
    if (message == WM_NCDESTROY)
        self->Detach();
    return CallWindowProcW(standardProc, control, message, wParam, lParam);
}

}  // namespace dnspeek
