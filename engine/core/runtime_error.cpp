#include "engine/core/runtime_error.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "engine/core/memory.h"

namespace vorenn {
namespace {

VORENN_CONST const char kErrorTable[11][128] = {
    "数组成员引用下标超出定义范围",
    "未得到所需要的数值型数据",
    "引用数组成员时维数不为1且不等于该数组目前所具有的维数",
    "数组成员引用下标必须大于等于1",
    "数据或数组类型不匹配",
    "调用DLL命令后发现堆栈错误",
    "子语句参数未返回数据或者返回了非系统基本类型或数组型数据",
    "被比较数据只能使用等于或不等于命令比较",
    "“多项选择”命令的索引值参数小于零或超出了所提供参数表范围",
    "“重定义数组”命令的数组维定义参数值必须大于零或单维时大于等于零",
    "所提供参数的数据类型不符合要求",
};
VORENN_CONST const char kHead[] = "运行时出错!\r\n\r\n";
VORENN_CONST const char kCodeLabel[] = "错误代码：";
VORENN_CONST const char kMessageLabel[] = "错误信息：";

void DefaultSuppress() {}
void DefaultShow(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fputc('\n', stderr);
}
[[noreturn]] void DefaultExit(int code) {
  std::fflush(nullptr);
  std::_Exit(code);
}

RuntimeErrorPorts g_ports{DefaultSuppress, DefaultShow, DefaultExit};
ErrorHook g_hook = nullptr;
std::atomic<bool> g_hookRunning{false};

}  // namespace

const char* RuntimeErrorMessage(int number) {
  return number >= 1 && number <= 11 ? kErrorTable[number - 1] : "";
}

std::string RuntimeErrorText(const char* message, int code) {
  std::string text = kHead;
  if (code != 0) text += kCodeLabel + std::to_string(code) + "\r\n\r\n";
  if (message != nullptr && *message != '\0') text += kMessageLabel + std::string(message) + "\r\n";
  return text;
}

void SetErrorHook(ErrorHook hook) { g_hook = hook; }
void SetRuntimeErrorPorts(const RuntimeErrorPorts& ports) { g_ports = ports; }

void ReportRuntimeError(const char* message, int code) {
  g_ports.suppressEvents();
  bool suppressed = false;
  if (g_hook != nullptr && !g_hookRunning.exchange(true)) {
    suppressed = g_hook(code, message != nullptr ? message : "") != 0;
    g_hookRunning = false;
  }
  if (!suppressed) g_ports.showErrorBox(RuntimeErrorText(message, code));
  g_ports.exitProcess(-1);
  std::_Exit(-1);
}

void RaiseRuntimeError(int number) { ReportRuntimeError(RuntimeErrorMessage(number), number); }

}  // namespace vorenn
