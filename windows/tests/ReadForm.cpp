// Reads dnspeek's window "Form1" from another process, as the installed test
// under Wine sees it: through window messages, where each control is on the
// screen, the texts of the edit boxes and the status bar, and every line of
// both list boxes; through Active Accessibility, as a screen reader does,
// each control's name; and how many child windows the form has and the
// style of its button. Prints one JSON object, each text as the hex of its
// bytes (the window shows bytes of the ANSI code page).
//
//   ReadForm.exe           waits up to 20 s for Form1 to appear, then prints
//   ReadForm.exe LINES     waits up to 20 s for Form1, then up to 10 s for
//                          ListBox1 to hold LINES lines, and prints nothing:
//                          the moment it ends is when the line came
//
// Exits 1 if what it waits for does not come.
//
// The controls are told apart by class and place, as the form lays them out:
// of the two edit boxes txtHostName is the upper, of the two list boxes
// ListBox1 is the left one.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <oleacc.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// A lookup keeps the window busy for up to 3 s; a message must outlast that.
constexpr UINT MessageTimeoutMs = 10000;

struct Control {
  HWND Window = nullptr;
  RECT Rect{};
};

struct Form {
  HWND Window = nullptr;
  int Children = 0;
  Control txtHostName, Edit1, Button1, ListBox1, ListBox2, StatusBar1;
};

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "ReadForm: %s\n", what);
  std::exit(1);
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (SendMessageTimeoutW(window, message, wParam, lParam, SMTO_BLOCK, MessageTimeoutMs, &result) == 0)
    Fail("the window did not answer a message within 10 s");
  return static_cast<LRESULT>(result);
}

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (const char character : bytes) {
    const auto byte = static_cast<unsigned char>(character);
    hex += digits[byte >> 4];
    hex += digits[byte & 15];
  }
  return hex;
}

// Texts cross the process boundary as UTF-16 (Wine hands an ANSI caller the
// UTF-16 line of another process's list box), and are turned back into the
// bytes of the ANSI code page the window shows.
std::string Ansi(const std::wstring& text) {
  if (text.empty()) return {};
  const auto size = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
  return bytes;
}

std::string WindowText(HWND window) {
  const auto length = Send(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const auto copied = Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(copied));
  return Ansi(text);
}

std::vector<std::string> Lines(HWND listBox) {
  const auto count = Send(listBox, LB_GETCOUNT, 0, 0);
  if (count == LB_ERR) Fail("a list box did not give its count");
  std::vector<std::string> lines;
  for (LRESULT index = 0; index < count; ++index) {
    const auto length = Send(listBox, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR) Fail("a list box did not give the length of a line");
    std::wstring line(static_cast<size_t>(length) + 1, L'\0');
    const auto copied = Send(listBox, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(line.data()));
    if (copied == LB_ERR) Fail("a list box did not give a line");
    line.resize(static_cast<size_t>(copied));
    lines.push_back(Ansi(line));
  }
  return lines;
}

BOOL CALLBACK AddChild(HWND child, LPARAM form) {
  auto& found = *reinterpret_cast<Form*>(form);
  if (GetParent(child) != found.Window) return TRUE;
  ++found.Children;
  char className[64] = {};
  GetClassNameA(child, className, sizeof className);
  Control control{child, {}};
  GetWindowRect(child, &control.Rect);
  // Of two controls of a class, the first slot holds the upper or left one.
  const auto place = [&control](Control& first, Control& second, bool before) {
    if (first.Window == nullptr) {
      first = control;
    } else if (before) {
      second = first;
      first = control;
    } else {
      second = control;
    }
  };
  if (lstrcmpiA(className, "Edit") == 0) {
    place(found.txtHostName, found.Edit1, control.Rect.top < found.txtHostName.Rect.top);
  } else if (lstrcmpiA(className, "ListBox") == 0) {
    place(found.ListBox1, found.ListBox2, control.Rect.left < found.ListBox1.Rect.left);
  } else if (lstrcmpiA(className, "Button") == 0) {
    found.Button1 = control;
  } else if (lstrcmpiA(className, STATUSCLASSNAMEA) == 0) {
    found.StatusBar1 = control;
  }
  return TRUE;
}

void PrintControl(const char* name, const Control& control, const char* contents) {
  const auto& r = control.Rect;
  std::printf("\"%s\": {\"rect\": [%ld, %ld, %ld, %ld], %s}", name, r.left, r.top, r.right, r.bottom, contents);
}

// The name a screen reader says for the control, asked across the process
// boundary as it asks.
std::string AccessibleName(HWND control) {
  IAccessible* accessible = nullptr;
  if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                        reinterpret_cast<void**>(&accessible))))
    Fail("a control gave no accessible object");
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  const HRESULT named = accessible->get_accName(self, &name);
  accessible->Release();
  if (FAILED(named)) Fail("an accessible object gave no name");
  const std::wstring text = name != nullptr ? std::wstring(name, SysStringLen(name)) : std::wstring();
  SysFreeString(name);
  return Ansi(text);
}

std::string TextMember(HWND window) {
  return "\"text\": \"" + Hex(WindowText(window)) + "\", \"name\": \"" + Hex(AccessibleName(window)) + "\"";
}

std::string LinesMember(HWND listBox) {
  std::string member = "\"lines\": [";
  const char* separator = "";
  for (const auto& line : Lines(listBox)) {
    member += separator;
    member += "\"" + Hex(line) + "\"";
    separator = ", ";
  }
  return member + "], \"name\": \"" + Hex(AccessibleName(listBox)) + "\"";
}

}  // namespace

int main(int argc, char** argv) {
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) Fail("COM is not available");
  Form form;
  for (int tries = 0; form.Window == nullptr; ++tries) {
    form.Window = FindWindowA(nullptr, "Form1");
    if (form.Window == nullptr && tries == 200) Fail("no window Form1 within 20 s");
    if (form.Window == nullptr) Sleep(100);
  }
  EnumChildWindows(form.Window, AddChild, reinterpret_cast<LPARAM>(&form));
  for (const auto* control : {&form.txtHostName, &form.Edit1, &form.Button1, &form.ListBox1, &form.ListBox2, &form.StatusBar1}) {
    if (control->Window == nullptr) Fail("Form1 lacks one of its six controls");
  }

  if (argc > 1) {
    const auto wanted = std::atoi(argv[1]);
    for (int tries = 0; Send(form.ListBox1.Window, LB_GETCOUNT, 0, 0) < wanted; ++tries) {
      if (tries == 1000) Fail("ListBox1 did not reach the lines asked for within 10 s");
      Sleep(10);
    }
    return 0;
  }

  DWORD processId = 0;
  GetWindowThreadProcessId(form.Window, &processId);
  const auto buttonType = static_cast<unsigned long>(GetWindowLongA(form.Button1.Window, GWL_STYLE) & BS_TYPEMASK);
  std::printf("{\"process\": %lu, \"children\": %d, \"buttonType\": %lu, ", processId, form.Children, buttonType);
  Control whole{form.Window, {}};
  GetWindowRect(form.Window, &whole.Rect);
  PrintControl("Form1", whole, TextMember(form.Window).c_str());
  std::printf(", ");
  PrintControl("txtHostName", form.txtHostName, TextMember(form.txtHostName.Window).c_str());
  std::printf(", ");
  PrintControl("Edit1", form.Edit1, TextMember(form.Edit1.Window).c_str());
  std::printf(", ");
  PrintControl("Button1", form.Button1, TextMember(form.Button1.Window).c_str());
  std::printf(", ");
  PrintControl("StatusBar1", form.StatusBar1, TextMember(form.StatusBar1.Window).c_str());
  std::printf(", ");
  PrintControl("ListBox1", form.ListBox1, LinesMember(form.ListBox1.Window).c_str());
  std::printf(", ");
  PrintControl("ListBox2", form.ListBox2, LinesMember(form.ListBox2.Window).c_str());
  std::printf("}\n");
  return 0;
}
