#include "base/data_hora.h"

#include <cmath>
#include <ctime>

#include "base/erro.h"

namespace velant {

namespace {

constexpr int64_t kSegundosDia = 86400;

// Days from 1970-01-01 of a proleptic Gregorian date.
constexpr int64_t DiasDesdeEpoca(int64_t ano, int mes, int dia) {
  ano -= mes <= 2;
  const int64_t era = (ano >= 0 ? ano : ano - 399) / 400;
  const int64_t anoDaEra = ano - era * 400;
  const int64_t diaDoAno = (153 * (mes + (mes > 2 ? -3 : 9)) + 2) / 5 + dia - 1;
  const int64_t diaDaEra = anoDaEra * 365 + anoDaEra / 4 - anoDaEra / 100 + diaDoAno;
  return era * 146097 + diaDaEra - 719468;
}

struct Civil {
  int64_t ano;
  int mes;
  int dia;
};

Civil CivilDeDias(int64_t z) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t diaDaEra = z - era * 146097;
  const int64_t anoDaEra = (diaDaEra - diaDaEra / 1460 + diaDaEra / 36524 - diaDaEra / 146096) / 365;
  const int64_t diaDoAno = diaDaEra - (365 * anoDaEra + anoDaEra / 4 - anoDaEra / 100);
  const int64_t mp = (5 * diaDoAno + 2) / 153;
  const int dia = static_cast<int>(diaDoAno - (153 * mp + 2) / 5 + 1);
  const int mes = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return {anoDaEra + era * 400 + (mes <= 2), mes, dia};
}

// 1899-12-30, day zero of the serial. Constant so that dates built during
// static initialisation elsewhere do not see it unset.
constexpr int64_t kDiaZero = DiasDesdeEpoca(1899, 12, 30);

int DiasNoMes(int ano, int mes) {
  static constexpr int kDias[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (mes == 2 && ((ano % 4 == 0 && ano % 100 != 0) || ano % 400 == 0)) return 29;
  return kDias[mes - 1];
}

// The serial as a calendar day (relative to day zero) and whole seconds of
// that day. Before day zero the day part is negative and the time still
// counts forward from midnight, as the automation date has it.
struct Partes {
  int64_t dia;
  int64_t segundos;
};

Partes Decompoe(double serial) {
  if (!std::isfinite(serial) || std::fabs(serial) > 3.0e6) Levanta(CodigoErro::Estouro);
  const double parteDia = std::trunc(serial);
  int64_t dia = static_cast<int64_t>(parteDia);
  int64_t segundos = std::llround(std::fabs(serial - parteDia) * kSegundosDia);
  if (segundos >= kSegundosDia) {
    segundos -= kSegundosDia;
    ++dia;
  }
  return {dia, segundos};
}

double Compoe(int64_t dia, int64_t segundos) {
  const double fracao = static_cast<double>(segundos) / kSegundosDia;
  return dia >= 0 ? static_cast<double>(dia) + fracao : static_cast<double>(dia) - fracao;
}

}  // namespace

DataHora DataHora::De(int ano, int mes, int dia, int hora, int minuto, int segundo) {
  if (ano < 100 || ano > 9999 || mes < 1 || mes > 12 || dia < 1 || dia > DiasNoMes(ano, mes) ||
      hora < 0 || hora > 23 || minuto < 0 || minuto > 59 || segundo < 0 || segundo > 59) {
    Levanta(CodigoErro::ChamadaInvalida);
  }
  const int64_t diaSerial = DiasDesdeEpoca(ano, mes, dia) - kDiaZero;
  return DataHora(Compoe(diaSerial, hora * 3600 + minuto * 60 + segundo));
}

DataHora DataHora::Hora(int hora, int minuto, int segundo) {
  if (hora < 0 || hora > 23 || minuto < 0 || minuto > 59 || segundo < 0 || segundo > 59) {
    Levanta(CodigoErro::ChamadaInvalida);
  }
  return DataHora(Compoe(0, hora * 3600 + minuto * 60 + segundo));
}

// Judged on whole seconds, as the text form shows them: a fraction of a
// second left by a floating-point sum is no time of day.
bool DataHora::TemData() const {
  if (!std::isfinite(serial_) || std::fabs(serial_) > 3.0e6) return true;
  return Decompoe(serial_).dia != 0;
}
bool DataHora::TemHora() const {
  if (!std::isfinite(serial_) || std::fabs(serial_) > 3.0e6) return false;
  return Decompoe(serial_).segundos != 0;
}

int DataHora::Ano() const {
  return static_cast<int>(CivilDeDias(Decompoe(serial_).dia + kDiaZero).ano);
}
int DataHora::Mes() const { return CivilDeDias(Decompoe(serial_).dia + kDiaZero).mes; }
int DataHora::Dia() const { return CivilDeDias(Decompoe(serial_).dia + kDiaZero).dia; }
int DataHora::HoraDoDia() const { return static_cast<int>(Decompoe(serial_).segundos / 3600); }
int DataHora::Minuto() const { return static_cast<int>(Decompoe(serial_).segundos / 60 % 60); }
int DataHora::Segundo() const { return static_cast<int>(Decompoe(serial_).segundos % 60); }

DataHora DataHora::SoData() const { return DataHora(Compoe(Decompoe(serial_).dia, 0)); }
DataHora DataHora::SoHora() const { return DataHora(Compoe(0, Decompoe(serial_).segundos)); }

int64_t DiferencaSegundos(DataHora a, DataHora b) {
  const Partes pa = Decompoe(a.Serial());
  const Partes pb = Decompoe(b.Serial());
  return (pb.dia - pa.dia) * kSegundosDia + (pb.segundos - pa.segundos);
}

DataHora RelogioSistema::Agora() const {
  const std::time_t agora = std::time(nullptr);
  std::tm local{};
  localtime_r(&agora, &local);
  return DataHora::De(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                      local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec);
}

}  // namespace velant
