#pragma once

#include "VXNServiceFramework/dispatch/Service.h"

#include <memory>

// Creates a service object on demand; the application keeps one factory per service name.
class ServiceFactoryBase {
public:
    virtual ~ServiceFactoryBase() = default;
    virtual std::unique_ptr<Service> create() = 0;
};

template <class T> class ServiceFactory final : public ServiceFactoryBase {
    static_assert(std::is_base_of_v<Service, T>);

public:
    std::unique_ptr<Service> create() override { return std::make_unique<T>(); }
};
