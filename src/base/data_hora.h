#pragma once
// Date-time as the automation date: days since 30 December 1899 as a double,
// the fraction being the time of day. Zero is the "no value" date-time
// (its text form is "00:00:00"). A time-only value has a zero day part.
#include <cstdint>
#include <string>

namespace velant {

class DataHora {
 public:
  constexpr DataHora() = default;
  constexpr explicit DataHora(double serial) : serial_(serial) {}
  // Raises ChamadaInvalida for an impossible date or time.
  static DataHora De(int ano, int mes, int dia, int hora = 0, int minuto = 0, int segundo = 0);
  static DataHora Hora(int hora, int minuto, int segundo);

  constexpr double Serial() const { return serial_; }
  bool Zero() const { return serial_ == 0.0; }
  bool TemData() const;   // day part not zero
  bool TemHora() const;   // time part not zero

  int Ano() const;
  int Mes() const;
  int Dia() const;
  int HoraDoDia() const;
  int Minuto() const;
  int Segundo() const;
  DataHora SoData() const;
  DataHora SoHora() const;

  friend constexpr bool operator==(DataHora a, DataHora b) { return a.serial_ == b.serial_; }
  friend constexpr auto operator<=>(DataHora a, DataHora b) { return a.serial_ <=> b.serial_; }

 private:
  double serial_ = 0.0;
};

// DateDiff("s", a, b): the number of second boundaries between a and b.
int64_t DiferencaSegundos(DataHora a, DataHora b);

// Where the current time comes from; tests replace it.
class Relogio {
 public:
  virtual ~Relogio() = default;
  virtual DataHora Agora() const = 0;   // local date and time, whole seconds
};

class RelogioSistema : public Relogio {
 public:
  DataHora Agora() const override;
};

}  // namespace velant
