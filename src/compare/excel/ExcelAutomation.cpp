#include "ExcelAutomation.h"

#include <ole2.h>
#include <oleauto.h>
#include <windows.h>

#include <initializer_list>
#include <vector>

namespace {

std::u16string fromWide(const wchar_t* s, size_t n) {
    return std::u16string(reinterpret_cast<const char16_t*>(s), n);
}

std::u16string systemMessage(HRESULT hr) {
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, DWORD(hr), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::u16string message;
    if (n > 0 && text) {
        message = fromWide(text, n);
        while (!message.empty() &&
               (message.back() == u'\n' || message.back() == u'\r' || message.back() == u' ')) {
            message.pop_back();
        }
    }
    if (text) {
        LocalFree(text);
    }
    if (message.empty()) {
        wchar_t code[32];
        wsprintfW(code, L"Error 0x%08lX", static_cast<unsigned long>(hr));
        message = fromWide(code, wcslen(code));
    }
    return message;
}

// One interface pointer, released when it goes.
class Dispatch {
public:
    Dispatch() = default;
    explicit Dispatch(IDispatch* p) : m_p(p) {}
    Dispatch(const Dispatch&) = delete;
    Dispatch& operator=(const Dispatch&) = delete;
    Dispatch(Dispatch&& other) noexcept : m_p(other.m_p) { other.m_p = nullptr; }
    Dispatch& operator=(Dispatch&& other) noexcept {
        if (this != &other) {
            reset();
            m_p = other.m_p;
            other.m_p = nullptr;
        }
        return *this;
    }
    ~Dispatch() { reset(); }
    void reset() {
        if (m_p) {
            m_p->Release();
            m_p = nullptr;
        }
    }
    IDispatch* get() const { return m_p; }
    IDispatch** out() {
        reset();
        return &m_p;
    }

private:
    IDispatch* m_p = nullptr;
};

// A VARIANT that clears itself.
class Variant {
public:
    Variant() { VariantInit(&v); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&v); }
    static Variant integer(long value) {
        Variant r;
        r.v.vt = VT_I4;
        r.v.lVal = value;
        return r;
    }
    static Variant boolean(bool value) {
        Variant r;
        r.v.vt = VT_BOOL;
        r.v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
        return r;
    }
    static Variant text(const wchar_t* value) {
        Variant r;
        r.v.vt = VT_BSTR;
        r.v.bstrVal = SysAllocString(value);
        return r;
    }
    static Variant object(IDispatch* value) {
        // Borrowed: the caller keeps its reference, this one adds its own.
        Variant r;
        r.v.vt = VT_DISPATCH;
        r.v.pdispVal = value;
        value->AddRef();
        return r;
    }
    Variant(Variant&& other) noexcept : v(other.v) { VariantInit(&other.v); }

    VARIANT v;
};

// One automation call, by name: a property read, a property write or a
// method. Arguments in their natural order; DISPPARAMS wants them reversed.
class Automation {
public:
    bool call(IDispatch* object, WORD kind, const wchar_t* name,
              std::initializer_list<VARIANT*> args, VARIANT* result) {
        DISPID id = 0;
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        if (FAILED(hr)) {
            return fail(hr, nullptr, name);
        }
        std::vector<VARIANT> reversed;
        reversed.reserve(args.size());
        for (auto it = args.end(); it != args.begin();) {
            --it;
            reversed.push_back(**it);
        }
        DISPPARAMS params{};
        params.cArgs = UINT(reversed.size());
        params.rgvarg = reversed.empty() ? nullptr : reversed.data();
        DISPID put = DISPID_PROPERTYPUT;
        if (kind & DISPATCH_PROPERTYPUT) {
            params.cNamedArgs = 1;
            params.rgdispidNamedArgs = &put;
        }
        EXCEPINFO exception{};
        UINT badArgument = 0;
        hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, result, &exception,
                            &badArgument);
        if (FAILED(hr)) {
            return fail(hr, hr == DISP_E_EXCEPTION ? &exception : nullptr, name);
        }
        return true;
    }

    bool get(IDispatch* object, const wchar_t* name, std::initializer_list<VARIANT*> args,
             Dispatch& into) {
        Variant r;
        if (!call(object, DISPATCH_PROPERTYGET | DISPATCH_METHOD, name, args, &r.v)) {
            return false;
        }
        if (r.v.vt != VT_DISPATCH || !r.v.pdispVal) {
            return fail(DISP_E_TYPEMISMATCH, nullptr, name);
        }
        *into.out() = r.v.pdispVal;
        r.v.pdispVal->AddRef();
        return true;
    }

    bool put(IDispatch* object, const wchar_t* name, VARIANT* value) {
        return call(object, DISPATCH_PROPERTYPUT, name, {value}, nullptr);
    }

    std::u16string message;

private:
    bool fail(HRESULT hr, EXCEPINFO* exception, const wchar_t* name) {
        if (exception) {
            if (exception->pfnDeferredFillIn) {
                exception->pfnDeferredFillIn(exception);
            }
            if (exception->bstrDescription && SysStringLen(exception->bstrDescription) > 0) {
                message =
                    fromWide(exception->bstrDescription, SysStringLen(exception->bstrDescription));
            }
            SysFreeString(exception->bstrSource);
            SysFreeString(exception->bstrDescription);
            SysFreeString(exception->bstrHelpFile);
            if (!message.empty()) {
                return false;
            }
            hr = exception->scode != 0 ? exception->scode : hr;
        }
        message = systemMessage(hr) + u" (" + fromWide(name, wcslen(name)) + u")";
        return false;
    }
};

// COM for this thread. The toolkit may have started it already in another
// mode; it is usable all the same and is then not ended here.
class ComScope {
public:
    ComScope() : m_hr(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    ~ComScope() {
        if (SUCCEEDED(m_hr)) {
            CoUninitialize();
        }
    }
    bool usable() const { return SUCCEEDED(m_hr) || m_hr == RPC_E_CHANGED_MODE; }
    HRESULT status() const { return m_hr; }

private:
    HRESULT m_hr;
};

// A two-dimensional array of texts with bounds 1..rows and 1..columns, as
// Range.Value takes it: the first index the row, the second the column.
bool makeTextArray(std::size_t rows, std::size_t columns,
                   const std::function<std::u16string(std::size_t, std::size_t)>& cell,
                   Variant& into, std::u16string& error) {
    SAFEARRAYBOUND bounds[2];
    bounds[0].lLbound = 1;
    bounds[0].cElements = ULONG(rows);
    bounds[1].lLbound = 1;
    bounds[1].cElements = ULONG(columns);
    SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 2, bounds);
    if (!array) {
        error = systemMessage(E_OUTOFMEMORY);
        return false;
    }
    into.v.vt = VT_ARRAY | VT_VARIANT;
    into.v.parray = array;
    HRESULT hr = SafeArrayLock(array);
    if (FAILED(hr)) {
        error = systemMessage(hr);
        return false;
    }
    for (std::size_t r = 0; r < rows && SUCCEEDED(hr); ++r) {
        for (std::size_t c = 0; c < columns && SUCCEEDED(hr); ++c) {
            LONG index[2] = {LONG(r + 1), LONG(c + 1)};
            VARIANT* element = nullptr;
            hr = SafeArrayPtrOfIndex(array, index, reinterpret_cast<void**>(&element));
            if (SUCCEEDED(hr)) {
                const std::u16string text = cell(r, c);
                // Every element a text, the empty ones too.
                element->vt = VT_BSTR;
                element->bstrVal = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                                     UINT(text.size()));
                if (!element->bstrVal) {
                    element->vt = VT_EMPTY;
                    hr = E_OUTOFMEMORY;
                }
            }
        }
    }
    SafeArrayUnlock(array);
    if (FAILED(hr)) {
        error = systemMessage(hr);
        return false;
    }
    return true;
}

}  // namespace

bool SendTableToExcel(std::size_t rows, std::size_t columns,
                      const std::function<std::u16string(std::size_t, std::size_t)>& cell,
                      std::u16string& error) {
    if (rows == 0 || columns == 0) {
        error = u"There is nothing to send to Excel.";
        return false;
    }
    ComScope com;
    if (!com.usable()) {
        error = systemMessage(com.status());
        return false;
    }
    Variant values;
    if (!makeTextArray(rows, columns, cell, values, error)) {
        return false;
    }

    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(L"Excel.Application", &clsid);
    if (FAILED(hr)) {
        error = systemMessage(hr);
        return false;
    }
    Dispatch excel;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                          reinterpret_cast<void**>(excel.out()));
    if (FAILED(hr)) {
        error = systemMessage(hr);
        return false;
    }

    Automation a;
    Dispatch workbooks, workbook, worksheets, sheet, first, last, range;
    Variant one = Variant::integer(1);
    Variant lastRow = Variant::integer(long(rows));
    Variant lastColumn = Variant::integer(long(columns));
    Variant asText = Variant::text(L"@");
    Variant visible = Variant::boolean(true);
    bool ok = a.get(excel.get(), L"Workbooks", {}, workbooks) &&
              a.get(workbooks.get(), L"Add", {}, workbook) &&
              a.get(workbook.get(), L"Worksheets", {}, worksheets) &&
              a.get(worksheets.get(), L"Item", {&one.v}, sheet) &&
              a.get(sheet.get(), L"Cells", {&one.v, &one.v}, first) &&
              a.get(sheet.get(), L"Cells", {&lastRow.v, &lastColumn.v}, last);
    if (ok) {
        Variant from = Variant::object(first.get());
        Variant to = Variant::object(last.get());
        ok = a.get(sheet.get(), L"Range", {&from.v, &to.v}, range) &&
             a.put(range.get(), L"NumberFormat", &asText.v) &&
             a.put(range.get(), L"Value", &values.v) && a.put(excel.get(), L"Visible", &visible.v);
    }
    if (!ok) {
        error = a.message;
        // An instance nobody sees would stay behind otherwise; it holds
        // nothing the user has seen, so it goes without asking.
        Variant no = Variant::boolean(false);
        Automation quiet;
        quiet.put(excel.get(), L"DisplayAlerts", &no.v);
        quiet.call(excel.get(), DISPATCH_METHOD, L"Quit", {}, nullptr);
        return false;
    }
    return true;
}
